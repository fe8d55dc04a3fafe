#include "gui/progress/ErrorPage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace korvida::gui {

ErrorPage::ErrorPage(QWidget* parent) : QWidget(parent) {
    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(32, 32));
    auto* text = new QLabel(tr("处理过程发生错误。"), this);
    auto* view = new QPushButton(tr("查看日志(&V)..."), this);
    view->setObjectName(QStringLiteral("viewLog"));
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addWidget(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(view, 0, Qt::AlignLeft);
    layout->addStretch();
    connect(view, &QPushButton::clicked, this, &ErrorPage::viewLogRequested);
}

}  // namespace korvida::gui
