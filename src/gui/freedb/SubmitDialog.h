#pragma once

#include <QDialog>

class QPushButton;
class QStackedWidget;

namespace korvida::gui {

class MessagePage;
class StatusPage;
class SubmitController;
class SubmitEditPage;

// "正提交到 freedb": the submit controller's pages and its Submit and Cancel buttons.
// Escape and the close box take Cancel's path.
class SubmitDialog : public QDialog {
    Q_OBJECT

  public:
    SubmitDialog(SubmitController& controller, QWidget* parent = nullptr);

  public slots:
    void reject() override;

  private:
    void ShowState();

    SubmitController& controller_;
    QStackedWidget* pages_;
    SubmitEditPage* edit_;
    StatusPage* progress_;
    MessagePage* accepted_;
    MessagePage* error_;
    QPushButton* submit_;
    QPushButton* cancel_;
};

}  // namespace korvida::gui
