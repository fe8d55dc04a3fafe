#include "gui/freedb/StatusPage.h"

#include <QLabel>
#include <QVBoxLayout>

namespace korvida::gui {

StatusPage::StatusPage(QWidget* parent) : QWidget(parent) {
    auto* caption = new QLabel(tr("状态:"), this);
    text_ = new QLabel(this);
    text_->setObjectName(QStringLiteral("status"));
    text_->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(text_);
    layout->addStretch();
}

void StatusPage::SetText(const QString& text) {
    text_->setText(text);
}

QString StatusPage::text() const {
    return text_->text();
}

}  // namespace korvida::gui
