#pragma once

#include <QString>
#include <string>
#include <vector>

#include "core/disc/TrackInfo.h"

class QComboBox;
class QFormLayout;
class QLineEdit;
class QWidget;

namespace korvida::gui {

// The edit boxes of a description record, shared by the track and album information
// dialogs: one labelled line edit per text field and the genre list, which holds the
// ID3v1 genre names and accepts free text.
class DescriptionFields {
  public:
    // `dialog` holds the fields of forms that have no widget of their own yet. Fields are
    // made in the order they are added, which is their tab order.
    explicit DescriptionFields(QWidget* dialog) : dialog_(dialog) {}

    // Adds a labelled edit for `field` to `form`; maxLength 0 = unlimited.
    QLineEdit* AddEdit(QFormLayout* form, const QString& label, std::string TrackInfo::*field,
                       int maxLength = 0);
    // Adds the genre list (its text is GenreName).
    QComboBox* AddGenre(QFormLayout* form, const QString& label);
    // Adds a labelled text the disc gives and nobody edits (an ISRC, the barcode): it can
    // be selected and copied, and looks like the label it is, not like a field to type
    // into. Not part of Load and Store.
    QLineEdit* AddShown(QFormLayout* form, const QString& label, const QString& objectName);

    // Each edit shows the beginning of its text, as a user reads it.
    void Load(const TrackInfo& info);
    // Writes the edits and the genre text back; Genre and GenreID are left alone.
    void Store(TrackInfo& info) const;

  private:
    // A widget made without a parent would join the tab order only when its form is laid
    // out, after the dialog's buttons.
    QWidget* ParentFor(QFormLayout* form) const;

    struct Edit {
        QLineEdit* edit;
        std::string TrackInfo::*field;
    };
    QWidget* dialog_;
    std::vector<Edit> edits_;
    QComboBox* genre_ = nullptr;
};

}  // namespace korvida::gui
