#include "gui/progress/LogWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/progress/LogLines.h"

namespace korvida::gui {

LogWindow::LogWindow(LogLines& log, QWidget* parent)
    : QDialog(parent), log_(log), list_(new QListWidget(this)) {
    setWindowTitle(tr("Korvida Maker 日志"));
    list_->setObjectName(QStringLiteral("lines"));
    list_->addItems(log_.lines());
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Lines are read, not picked: none is highlighted, and the focus starts on OK.
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    list_->scrollToBottom();
    connect(&log_, &LogLines::lineAdded, list_,
            [this](const QString& line) { list_->addItem(line); });

    auto* name = new QLabel(QStringLiteral("Korvida CD Ripper"), this);
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    auto* clear = new QPushButton(tr("清除(&C)"), this);
    auto* ok = new QPushButton(tr("确定(&O)"), this);
    ok->setDefault(true);
    ok->setFocus();
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(name);
    buttons->addStretch();
    buttons->addWidget(clear);
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
    resize(640, 320);

    connect(clear, &QPushButton::clicked, this, [this] {
        list_->clear();
        log_.clear();
    });
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace korvida::gui
