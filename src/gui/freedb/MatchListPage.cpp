#include "gui/freedb/MatchListPage.h"

#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace korvida::gui {

MatchListPage::MatchListPage(QWidget* parent) : QWidget(parent), list_(new QTreeWidget(this)) {
    auto* caption = new QLabel(tr("CDDB 找到一些可能匹配的项目:"), this);
    list_->setObjectName(QStringLiteral("matches"));
    // The same disc is often filed under several categories: only this column tells
    // those rows apart.
    list_->setColumnCount(4);
    list_->setHeaderLabels({tr("No."), tr("Artist"), tr("Album"), tr("Category")});
    list_->setRootIsDecorated(false);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setAllColumnsShowFocus(true);
    list_->setColumnWidth(0, 30);
    list_->setColumnWidth(1, 130);
    list_->setColumnWidth(2, 130);
    list_->setColumnWidth(3, 80);
    // Every column shows without scrolling sideways.
    list_->setMinimumWidth(list_->header()->length() + 2 * list_->frameWidth() +
                           list_->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(list_, 1);
    connect(list_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { emit rowActivated(list_->indexOfTopLevelItem(item)); });
}

void MatchListPage::SetMatches(const std::vector<FreedbMatch>& matches) {
    list_->clear();
    for (std::size_t i = 0; i < matches.size(); ++i) {
        auto* item = new QTreeWidgetItem(list_);
        item->setText(0, QString::number(i + 1));
        item->setText(1, QString::fromStdString(matches[i].artist));
        item->setText(2, QString::fromStdString(matches[i].title));
        item->setText(3, QString::fromStdString(matches[i].category));
    }
    if (list_->topLevelItemCount() > 0)
        list_->setCurrentItem(list_->topLevelItem(0));
}

int MatchListPage::selectedRow() const {
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    return selected.isEmpty() ? -1 : list_->indexOfTopLevelItem(selected.first());
}

}  // namespace korvida::gui
