#pragma once

#include <QWidget>

namespace korvida::gui {

// A sample of the main window's list and status line in the colours being edited.
class ColorPreview : public QWidget {
    Q_OBJECT

  public:
    struct Colors {
        QColor text, selectedText, background, statusLine, shadow;
        bool drawShadow = true;
    };

    explicit ColorPreview(QWidget* parent = nullptr);
    void setColors(const Colors& colors);
    const Colors& colors() const { return colors_; }

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Colors colors_;
};

// Settings keep colours as 0x00BBGGRR.
QColor ColorFromBgr(int value);
int BgrFromColor(const QColor& color);

}  // namespace korvida::gui
