#pragma once

#include <QStyle>
#include <QWidget>

class QLabel;

namespace korvida::gui {

// A wizard's end page: an icon, a heading and an optional text below it (no match, an
// error, a submission accepted or refused).
class MessagePage : public QWidget {
    Q_OBJECT

  public:
    MessagePage(QStyle::StandardPixmap icon, const QString& heading, const QString& text = {},
                QWidget* parent = nullptr);

    void SetText(const QString& text);
    QString heading() const;
    QString text() const;

  private:
    QLabel* heading_;
    QLabel* text_;
};

}  // namespace korvida::gui
