#include "gui/musicbrainz/ReleaseListPage.h"

#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace korvida::gui {

ReleaseListPage::ReleaseListPage(QWidget* parent)
    : QWidget(parent), list_(new QTreeWidget(this)), note_(new QLabel(this)) {
    auto* caption = new QLabel(tr("MusicBrainz 找到多个可能匹配的唱片:"), this);
    list_->setObjectName(QStringLiteral("releases"));
    list_->setColumnCount(5);
    list_->setHeaderLabels({tr("艺术家"), tr("标题"), tr("日期"), tr("国家"), tr("碟片")});
    list_->setRootIsDecorated(false);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setAllColumnsShowFocus(true);
    // Releases of one album differ mostly in date, country and medium: those columns
    // must show without scrolling sideways.
    list_->setColumnWidth(0, 130);
    list_->setColumnWidth(1, 150);
    list_->setColumnWidth(2, 80);
    list_->setColumnWidth(3, 40);
    list_->setColumnWidth(4, 40);
    list_->setMinimumWidth(list_->header()->length() + 2 * list_->frameWidth() +
                           list_->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(list_, 1);
    // Why the selected release cannot be applied, or what of it cannot.
    note_->setObjectName(QStringLiteral("releaseNote"));
    note_->setWordWrap(true);
    note_->hide();
    layout->addWidget(note_);
    connect(list_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        const QString note = item ? item->toolTip(0) : QString();
        note_->setText(note);
        note_->setVisible(!note.isEmpty());
    });
    connect(list_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { emit rowActivated(list_->indexOfTopLevelItem(item)); });
}

void ReleaseListPage::SetReleases(const std::vector<MusicBrainzRelease>& releases) {
    list_->clear();
    note_->hide();
    for (const MusicBrainzRelease& release : releases) {
        auto* item = new QTreeWidgetItem(list_);
        item->setText(0, QString::fromStdString(release.artist));
        item->setText(1, QString::fromStdString(release.title));
        item->setText(2, QString::fromStdString(release.date));
        item->setText(3, QString::fromStdString(release.country));
        item->setText(4, QString::fromStdString(release.MediumText()));
        const QString note = QString::fromStdString(release.note);
        for (int column = 0; column < list_->columnCount(); ++column) {
            item->setToolTip(column, note);
            if (release.medium < 0)
                item->setForeground(column, palette().brush(QPalette::Disabled, QPalette::Text));
        }
    }
    if (list_->topLevelItemCount() > 0)
        list_->setCurrentItem(list_->topLevelItem(0));
}

int ReleaseListPage::selectedRow() const {
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    return selected.isEmpty() ? -1 : list_->indexOfTopLevelItem(selected.first());
}

}  // namespace korvida::gui
