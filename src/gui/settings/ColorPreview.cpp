#include "gui/settings/ColorPreview.h"

#include <QPainter>

namespace korvida::gui {

QColor ColorFromBgr(int value) {
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

int BgrFromColor(const QColor& color) {
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

ColorPreview::ColorPreview(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ColorPreview::setColors(const Colors& colors) {
    colors_ = colors;
    update();
}

QSize ColorPreview::sizeHint() const {
    return QSize(260, fontMetrics().height() * 6);
}

void ColorPreview::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), colors_.background);
    const int line = fontMetrics().height() + 4;
    const auto text = [&](int y, const QColor& color, const QString& s) {
        if (colors_.drawShadow) {
            p.setPen(colors_.shadow);
            p.drawText(QPoint(9, y + 1), s);
        }
        p.setPen(color);
        p.drawText(QPoint(8, y), s);
    };
    int y = line;
    text(y, colors_.text, tr("01  音轨 1        03:25"));
    y += line;
    text(y, colors_.selectedText, tr("02  音轨 2        04:10"));
    y += line;
    text(y, colors_.text, tr("03  音轨 3        02:58"));
    // The status line sits under the list, on the window's own background.
    const QRect status(0, height() - line, width(), line);
    p.fillRect(status, palette().window());
    p.setPen(colors_.statusLine);
    p.drawText(status.adjusted(8, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
               tr("设备: KORVIDA VIRTUAL CD-ROM"));
    p.setPen(palette().mid().color());
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace korvida::gui
