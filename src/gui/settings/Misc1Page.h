#pragma once

#include "gui/settings/OptionsPage.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace korvida::gui {

class NumberEdit;
class OptionsPrompter;

// "杂项一": the MP3 player, the replacements of characters file names cannot hold, and
// the priority of the worker threads, and how many encoders work behind the reader.
class Misc1Page : public OptionsPage {
    Q_OBJECT

  public:
    Misc1Page(OptionsPrompter& prompter, QWidget* parent = nullptr);

    // The player path loses its trailing white space.
    std::optional<PageProblem> commit(Settings& settings) override;

  private:
    OptionsPrompter& prompter_;
    QLineEdit* player_;
    QPushButton* browse_;
    QLineEdit* parameters_;
    QComboBox* priority_;
    NumberEdit* encoderThreads_;
};

}  // namespace korvida::gui
