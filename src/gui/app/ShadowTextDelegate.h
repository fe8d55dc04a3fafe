#pragma once

#include <QColor>
#include <QStyledItemDelegate>

namespace korvida::gui {

// Draws the track list's texts with the text shadow of the appearance settings: the text
// once in the shadow colour one pixel down and right, then in its own colour over it.
// Everything else (check boxes, the selection, the focus) is the style's.
class ShadowTextDelegate : public QStyledItemDelegate {
    Q_OBJECT

  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // An invalid colour draws no shadow.
    void setShadow(const QColor& color) { shadow_ = color; }
    QColor shadow() const { return shadow_; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

  private:
    QColor shadow_;
};

}  // namespace korvida::gui
