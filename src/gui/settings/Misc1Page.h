#pragma once

#include <array>

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

    QLineEdit* playerEdit() const { return player_; }
    QPushButton* playerButton() const { return browse_; }
    const std::array<QLineEdit*, 10>& replacementEdits() const { return replace_; }
    QComboBox* priorityList() const { return priority_; }
    NumberEdit* encoderThreadsEdit() const { return encoderThreads_; }

  private:
    OptionsPrompter& prompter_;
    QLineEdit* player_;
    QPushButton* browse_;
    QLineEdit* parameters_;
    std::array<QLineEdit*, 10> replace_{};
    QComboBox* priority_;
    NumberEdit* encoderThreads_;
};

}  // namespace korvida::gui
