#include "gui/freedb/MessagePage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace korvida::gui {

MessagePage::MessagePage(QStyle::StandardPixmap icon, const QString& heading, const QString& text,
                         QWidget* parent)
    : QWidget(parent), heading_(new QLabel(heading, this)), text_(new QLabel(text, this)) {
    auto* picture = new QLabel(this);
    picture->setPixmap(style()->standardIcon(icon).pixmap(32, 32));
    picture->setAlignment(Qt::AlignTop);
    heading_->setWordWrap(true);
    heading_->setVisible(!heading.isEmpty());
    text_->setVisible(!text.isEmpty());
    text_->setObjectName(QStringLiteral("text"));
    text_->setWordWrap(true);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* texts = new QVBoxLayout;
    texts->addWidget(heading_);
    texts->addWidget(text_);
    texts->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(picture, 0, Qt::AlignTop);
    layout->addLayout(texts, 1);
}

void MessagePage::SetText(const QString& text) {
    text_->setText(text);
    text_->setVisible(!text.isEmpty());
}

QString MessagePage::heading() const {
    return heading_->text();
}

QString MessagePage::text() const {
    return text_->text();
}

}  // namespace korvida::gui
