#pragma once

#include "gui/settings/OptionsPage.h"

class QCheckBox;
class QSlider;

namespace korvida::gui {

// "Ogg Vorbis": the quality slider and the twelve comment switches.
class OggPage : public OptionsPage {
    Q_OBJECT

  public:
    explicit OggPage(QWidget* parent = nullptr);

    void load(const Settings& settings) override;
    std::optional<PageProblem> commit(Settings& settings) override;

  private:
    QSlider* quality_;
};

}  // namespace korvida::gui
