#pragma once

#include <QColor>
#include <QStyledItemDelegate>

namespace korvida::gui {

// The track list's cells: draws their texts with the text shadow of the appearance
// settings (the text once in the shadow colour one pixel down and right, then in its own
// colour over it); makes every row tall enough for a line that mixes scripts; and lets
// Space tick the row of whichever cell has the focus. Everything else (check boxes, the
// selection, the focus) is the style's.
class ShadowTextDelegate : public QStyledItemDelegate {
    Q_OBJECT

  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // An invalid colour draws no shadow.
    void setShadow(const QColor& color) { shadow_ = color; }
    QColor shadow() const { return shadow_; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

  private:
    QColor shadow_;
};

}  // namespace korvida::gui
