#include "gui/widgets/ChoiceList.h"

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <algorithm>

namespace korvida::gui {
namespace {

// Rows are shown between these counts without scrolling; more scroll.
constexpr int kFewestRows = 6;
constexpr int kMostRows = 12;
// A column beside the stretching one takes at most this many average characters.
constexpr int kWidestColumnChars = 32;

// Every row as tall as one holding Latin and Chinese text: a row of Latin letters alone
// would be shorter than its neighbours, the CJK font's line being the taller.
class EvenRowDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        QStyleOptionViewItem sample = option;
        initStyleOption(&sample, index);
        sample.text = QStringLiteral("Ág国");  // not translated: a sample
        const QWidget* widget = option.widget;
        const QStyle* style = widget ? widget->style() : QApplication::style();
        size.setHeight(std::max(
            size.height(),
            style->sizeFromContents(QStyle::CT_ItemViewItem, &sample, QSize(), widget).height()));
        return size;
    }
};

}  // namespace

ChoiceList::ChoiceList(const QStringList& headers, int stretchColumn, QWidget* parent)
    : QTreeWidget(parent) {
    setItemDelegate(new EvenRowDelegate(this));
    setRootIsDecorated(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAllColumnsShowFocus(true);
    header()->setStretchLastSection(false);
    SetColumns(headers, stretchColumn);
    connect(this, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { emit rowActivated(indexOfTopLevelItem(item)); });
}

void ChoiceList::SetColumns(const QStringList& headers, int stretchColumn) {
    clear();
    setColumnCount(static_cast<int>(headers.size()));
    setHeaderLabels(headers);
    stretchColumn_ = std::clamp(stretchColumn, 0, static_cast<int>(headers.size()) - 1);
    for (int column = 0; column < columnCount(); ++column)
        header()->setSectionResizeMode(
            column, column == stretchColumn_ ? QHeaderView::Stretch : QHeaderView::Interactive);
}

QTreeWidgetItem* ChoiceList::AddRow(const QStringList& texts, const QString& note) {
    auto* item = new QTreeWidgetItem(this);
    for (int column = 0; column < texts.size() && column < columnCount(); ++column) {
        item->setText(column, texts[column]);
        QString tip = texts[column];
        if (!note.isEmpty())
            tip += (tip.isEmpty() ? QString() : QStringLiteral("\n")) + note;
        item->setToolTip(column, tip);
    }
    return item;
}

void ChoiceList::RowsAdded() {
    const int widest = fontMetrics().averageCharWidth() * kWidestColumnChars;
    for (int column = 0; column < columnCount(); ++column)
        if (column != stretchColumn_)
            setColumnWidth(column, std::min(std::max(sizeHintForColumn(column),
                                                     header()->sectionSizeHint(column)),
                                            widest));
    if (topLevelItemCount() > 0)
        setCurrentItem(topLevelItem(0));
    updateGeometry();
}

int ChoiceList::selectedRow() const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? -1 : indexOfTopLevelItem(selected.first());
}

QSize ChoiceList::sizeHint() const {
    int width = 0;
    for (int column = 0; column < columnCount(); ++column)
        width += column == stretchColumn_
                     ? std::max(sizeHintForColumn(column), header()->sectionSizeHint(column))
                     : columnWidth(column);
    const int rows = std::clamp(topLevelItemCount(), kFewestRows, kMostRows);
    // Every row alike (the delegate's height), so one row's height stands for all.
    QStyleOptionViewItem option;
    option.initFrom(this);
    option.font = font();
    const QModelIndex first = model()->index(0, 0);
    const int rowHeight =
        itemDelegate()->sizeHint(option, first.isValid() ? first : QModelIndex()).height();
    const int frame = 2 * frameWidth();
    return {width + frame + verticalScrollBar()->sizeHint().width(),
            header()->sizeHint().height() + rows * rowHeight + frame};
}

}  // namespace korvida::gui
