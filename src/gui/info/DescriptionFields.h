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
    // Adds a labelled edit for `field` to `form`; maxLength 0 = unlimited.
    QLineEdit* AddEdit(QFormLayout* form, const QString& label, std::string TrackInfo::*field,
                       int maxLength = 0);
    // Adds the genre list (its text is GenreName).
    QComboBox* AddGenre(QFormLayout* form, const QString& label, QWidget* parent);

    void Load(const TrackInfo& info);
    // Writes the edits and the genre text back; Genre and GenreID are left alone.
    void Store(TrackInfo& info) const;

    QComboBox* genre() const { return genre_; }

  private:
    struct Edit {
        QLineEdit* edit;
        std::string TrackInfo::*field;
    };
    std::vector<Edit> edits_;
    QComboBox* genre_ = nullptr;
};

}  // namespace korvida::gui
