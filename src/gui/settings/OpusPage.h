#pragma once

#include "gui/settings/OptionsPage.h"

namespace korvida::gui {

class NumberEdit;

// "Opus": the bit rate. The comments follow the Ogg Vorbis page's switches.
class OpusPage : public OptionsPage {
    Q_OBJECT

  public:
    explicit OpusPage(QWidget* parent = nullptr);

  private:
    NumberEdit* bitRate_;
};

}  // namespace korvida::gui
