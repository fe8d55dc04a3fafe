#pragma once

#include <QWidget>

class QLabel;

namespace korvida::gui {

// The wizards' progress page: "状态:" and the transfer's latest status text.
class StatusPage : public QWidget {
    Q_OBJECT

  public:
    explicit StatusPage(QWidget* parent = nullptr);

    void SetText(const QString& text);
    QString text() const;

  private:
    QLabel* text_;
};

}  // namespace korvida::gui
