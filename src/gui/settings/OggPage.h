#pragma once

#include <array>

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

    QSlider* qualitySlider() const { return quality_; }
    const std::array<QCheckBox*, 12>& commentBoxes() const { return comments_; }

  private:
    QSlider* quality_;
    std::array<QCheckBox*, 12> comments_{};
};

}  // namespace korvida::gui
