#pragma once

#include "gui/settings/OptionsPage.h"

class QLineEdit;

namespace korvida::gui {

class OptionsPrompter;

// "杂项二": the folder of temporary WAV files and the start-up switches.
class Misc2Page : public OptionsPage {
    Q_OBJECT

  public:
    Misc2Page(OptionsPrompter& prompter, QWidget* parent = nullptr);

    // The switches are stored; the folder only when it, or the previous one, can be made.
    std::optional<PageProblem> commit(Settings& settings) override;

  private:
    OptionsPrompter& prompter_;
    QLineEdit* temp_;
};

}  // namespace korvida::gui
