#include "gui/app/ShadowTextDelegate.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <algorithm>

#include "gui/app/TrackTableModel.h"

namespace korvida::gui {
namespace {

// Latin with accents and descenders beside CJK, kana, Hangul and Cyrillic: each script
// falls back to a font of its own, and a line is as tall as the largest ascent plus the
// largest descent of the fonts in it, taller than a line in any one of them.
const QString& MixedScripts() {
    static const QString text =
        QStringLiteral("ÁÉgjpqy 音轨標題 あア 한 Йй");  // not translated: a sample
    return text;
}

}  // namespace

QSize ShadowTextDelegate::sizeHint(const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    QStyleOptionViewItem mixed = option;
    initStyleOption(&mixed, index);
    mixed.text = MixedScripts();
    const QWidget* widget = mixed.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    size.setHeight(std::max(
        size.height(),
        style->sizeFromContents(QStyle::CT_ItemViewItem, &mixed, QSize(), widget).height()));
    return size;
}

bool ShadowTextDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                     const QStyleOptionViewItem& option, const QModelIndex& index) {
    // The row's check box sits in its number cell; Space reaches here for any cell.
    if (event->type() == QEvent::KeyPress && index.column() != TrackTableModel::kNumber) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Space || key->key() == Qt::Key_Select) {
            const QModelIndex box = index.siblingAtColumn(TrackTableModel::kNumber);
            const bool checked = box.data(Qt::CheckStateRole).toInt() == Qt::Checked;
            return model->setData(box, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
        }
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}

void ShadowTextDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    if (!shadow_.isValid()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QWidget* widget = item.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    const QString text = item.text;
    // The style draws the row without its text, which then comes twice.
    item.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);
    if (text.isEmpty())
        return;
    item.text = text;
    // The margin the style keeps around an item's text.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget)
                           .adjusted(margin, 0, -margin, 0);
    const QString shown = item.fontMetrics.elidedText(text, item.textElideMode, area.width());
    const QPalette::ColorGroup group = !(item.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (item.state & QStyle::State_Active) ? QPalette::Active
                                                                             : QPalette::Inactive;
    const bool selected = item.state & QStyle::State_Selected;
    painter->save();
    painter->setFont(item.font);
    painter->setPen(shadow_);
    painter->drawText(area.translated(1, 1), static_cast<int>(item.displayAlignment), shown);
    painter->setPen(
        item.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(area, static_cast<int>(item.displayAlignment), shown);
    painter->restore();
}

}  // namespace korvida::gui
