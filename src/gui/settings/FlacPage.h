#pragma once

#include "gui/settings/OptionsPage.h"

class QLabel;
class QSlider;

namespace korvida::gui {

// "FLAC": the compression level. The comments follow the Ogg Vorbis page's switches.
class FlacPage : public OptionsPage {
    Q_OBJECT

  public:
    explicit FlacPage(QWidget* parent = nullptr);

    void load(const Settings& settings) override;
    std::optional<PageProblem> commit(Settings& settings) override;

  private:
    QSlider* level_;
    QLabel* shown_;
};

}  // namespace korvida::gui
