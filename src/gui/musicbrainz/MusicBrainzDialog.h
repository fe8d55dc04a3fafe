#pragma once

#include "gui/freedb/WizardFrame.h"

class QLabel;
class QLineEdit;

namespace korvida::gui {

class MessagePage;
class MusicBrainzController;
class ReleaseListPage;

// "从 MusicBrainz 获取唱片信息": the controller's pages with OK and Cancel, as the freedb
// query dialog has them. The no-match page shows the disc's submission address, to copy
// or to open in the browser (Enter). A release that cannot be applied shows why on the
// error page.
class MusicBrainzDialog : public WizardFrame {
    Q_OBJECT

  public:
    MusicBrainzDialog(MusicBrainzController& controller, QWidget* parent = nullptr);

  private:
    void ShowState() override;

    MusicBrainzController& controller_;
    ReleaseListPage* releases_;
    QWidget* noMatch_;
    QPushButton* submit_;
    QLineEdit* url_;
    QLabel* browserMissing_;
    MessagePage* error_;
    QPushButton* ok_;
    int chosenRow_ = 0;  // the release last chosen; the only one is applied unasked
};

}  // namespace korvida::gui
