#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;

namespace korvida::gui {

class MessagePage;
class MusicBrainzController;
class ReleaseListPage;
class StatusPage;

// "从 MusicBrainz 获取唱片信息": the controller's pages with OK and Cancel, as the freedb
// query dialog has them. The no-match page shows the disc's submission address, to copy
// or to open in the browser (Enter). Escape and the close box take Cancel's path; the dialog closes
// when the controller has finished. A release that cannot be applied shows why on the error page.
class MusicBrainzDialog : public QDialog {
    Q_OBJECT

  public:
    MusicBrainzDialog(MusicBrainzController& controller, QWidget* parent = nullptr);

  public slots:
    void reject() override;

  private:
    void ShowState();

    MusicBrainzController& controller_;
    QStackedWidget* pages_;
    StatusPage* progress_;
    ReleaseListPage* releases_;
    QWidget* noMatch_;
    QPushButton* submit_;
    QLineEdit* url_;
    QLabel* browserMissing_;
    MessagePage* error_;
    QPushButton* ok_;
    QPushButton* cancel_;
    int chosenRow_ = 0;  // the release last chosen; the only one is applied unasked
};

}  // namespace korvida::gui
