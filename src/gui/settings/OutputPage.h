#pragma once

#include "gui/settings/OptionsPage.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace korvida::gui {

class NumberEdit;
class OptionsPrompter;

// "输出": the output folder, the naming rule, the output format and normalisation.
class OutputPage : public OptionsPage {
    Q_OBJECT

  public:
    OutputPage(OptionsPrompter& prompter, QWidget* parent = nullptr);

    void load(const Settings& settings) override;
    // The folder is trimmed, given one '/', and created; the rule must name a field.
    std::optional<PageProblem> commit(Settings& settings) override;

  private:
    void browse();

    OptionsPrompter& prompter_;
    QLineEdit* folder_;
    QPushButton* browse_;
    QComboBox* rule_;
    QComboBox* format_;
    QCheckBox* normalize_;
    NumberEdit* ratio_;
};

}  // namespace korvida::gui
