#pragma once

#include <QDialog>

class QPushButton;
class QStackedWidget;

namespace korvida::gui {

class MatchListPage;
class MessagePage;
class QueryController;
class StatusPage;

// "垂询 Freedb": the query controller's pages and its OK and Cancel buttons. Escape and
// the close box take Cancel's path; the dialog closes when the controller has finished.
class QueryDialog : public QDialog {
    Q_OBJECT

  public:
    QueryDialog(QueryController& controller, QWidget* parent = nullptr);

  public slots:
    void reject() override;

  private:
    void ShowState();

    QueryController& controller_;
    QStackedWidget* pages_;
    StatusPage* progress_;
    MatchListPage* matches_;
    MessagePage* noMatch_;
    MessagePage* error_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

}  // namespace korvida::gui
