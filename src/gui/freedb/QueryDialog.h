#pragma once

#include "gui/freedb/WizardFrame.h"

namespace korvida::gui {

class MatchListPage;
class MessagePage;
class QueryController;

// "垂询 Freedb": the query controller's pages and its OK and Cancel buttons; the dialog
// closes when the controller has finished.
class QueryDialog : public WizardFrame {
    Q_OBJECT

  public:
    QueryDialog(QueryController& controller, QWidget* parent = nullptr);

  private:
    void ShowState() override;

    QueryController& controller_;
    MatchListPage* matches_;
    MessagePage* error_;
    QPushButton* ok_;
};

}  // namespace korvida::gui
