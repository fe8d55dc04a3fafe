#pragma once

#include "gui/settings/OptionsPage.h"

class QCheckBox;
class QLineEdit;

namespace korvida::gui {

// "MusicBrainz": the web service that names a disc, and the album's front cover that a
// match brings along.
class MusicBrainzPage : public OptionsPage {
    Q_OBJECT

  public:
    explicit MusicBrainzPage(QWidget* parent = nullptr);

  protected:
    void updateEnables() override;

  private:
    QLineEdit* server_;
    QCheckBox* coverArt_;
    QLineEdit* coverServer_;
    QCheckBox* coverFile_;
};

}  // namespace korvida::gui
