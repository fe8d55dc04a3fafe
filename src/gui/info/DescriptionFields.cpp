#include "gui/info/DescriptionFields.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>

#include "core/encode/Id3Tag.h"
#include "gui/widgets/ShownText.h"

namespace korvida::gui {

QWidget* DescriptionFields::ParentFor(QFormLayout* form) const {
    return form->parentWidget() ? form->parentWidget() : dialog_;
}

QLineEdit* DescriptionFields::AddEdit(QFormLayout* form, const QString& label,
                                      std::string TrackInfo::*field, int maxLength) {
    auto* edit = new QLineEdit(ParentFor(form));
    edit->setObjectName(label);  // tests and screen readers find a field by its label
    if (maxLength > 0)
        edit->setMaxLength(maxLength);
    form->addRow(label, edit);
    edits_.push_back({edit, field});
    return edit;
}

QComboBox* DescriptionFields::AddGenre(QFormLayout* form, const QString& label) {
    genre_ = new QComboBox(ParentFor(form));
    genre_->setEditable(true);
    genre_->setInsertPolicy(QComboBox::NoInsert);
    genre_->setMaxVisibleItems(16);
    for (const char* name : ID3GenreNames)
        genre_->addItem(QString::fromUtf8(name));
    form->addRow(label, genre_);
    return genre_;
}

QLineEdit* DescriptionFields::AddShown(QFormLayout* form, const QString& label,
                                       const QString& objectName) {
    QLineEdit* shown = NewShownText(ParentFor(form));
    shown->setObjectName(objectName);
    form->addRow(label, shown);
    return shown;
}

void DescriptionFields::Load(const TrackInfo& info) {
    for (const Edit& e : edits_) {
        e.edit->setText(QString::fromStdString(info.*e.field));
        e.edit->setCursorPosition(0);
    }
    if (genre_) {
        genre_->setEditText(QString::fromStdString(info.GenreName));
        genre_->lineEdit()->setCursorPosition(0);
    }
}

void DescriptionFields::Store(TrackInfo& info) const {
    for (const Edit& e : edits_)
        info.*e.field = e.edit->text().toStdString();
    if (genre_)
        info.GenreName = genre_->currentText().toStdString();
}

}  // namespace korvida::gui
