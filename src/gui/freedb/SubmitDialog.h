#pragma once

#include "gui/freedb/WizardFrame.h"

namespace korvida::gui {

class MessagePage;
class SubmitController;
class SubmitEditPage;

// "正提交到 freedb": the submit controller's pages and its Submit and Cancel buttons.
class SubmitDialog : public WizardFrame {
    Q_OBJECT

  public:
    SubmitDialog(SubmitController& controller, QWidget* parent = nullptr);

  private:
    void ShowState() override;

    SubmitController& controller_;
    SubmitEditPage* edit_;
    MessagePage* error_;
    QPushButton* submit_;
};

}  // namespace korvida::gui
