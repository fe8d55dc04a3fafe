#include "gui/musicbrainz/ReleaseListPage.h"

#include <QLabel>
#include <QVBoxLayout>

#include "core/musicbrainz/ReleaseColumns.h"
#include "gui/widgets/ChoiceList.h"

namespace korvida::gui {
namespace {

constexpr int kNoteRole = Qt::UserRole;

}  // namespace

ReleaseListPage::ReleaseListPage(QWidget* parent)
    : QWidget(parent), list_(new ChoiceList({}, 0, this)), note_(new QLabel(this)) {
    auto* caption = new QLabel(tr("MusicBrainz 找到多个可能匹配的唱片:"), this);
    list_->setObjectName(QStringLiteral("releases"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(list_, 1);
    // Why the selected release cannot be applied, or what of it cannot.
    note_->setObjectName(QStringLiteral("releaseNote"));
    note_->setWordWrap(true);
    note_->hide();
    layout->addWidget(note_);
    connect(list_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        const QString note = item ? item->data(0, kNoteRole).toString() : QString();
        note_->setText(note);
        note_->setVisible(!note.isEmpty());
    });
    connect(list_, &ChoiceList::rowActivated, this, &ReleaseListPage::rowActivated);
}

void ReleaseListPage::SetReleases(const std::vector<MusicBrainzRelease>& releases) {
    const std::vector<ReleaseColumn> columns = ReleaseColumnsFor(releases);
    QStringList headers;
    for (ReleaseColumn column : columns)
        headers << QString::fromStdString(ReleaseColumnHeader(column));
    // The title tells an album's editions apart most often: it takes the room.
    list_->SetColumns(headers, 0);
    note_->hide();
    for (const MusicBrainzRelease& release : releases) {
        QStringList texts;
        for (ReleaseColumn column : columns)
            texts << QString::fromStdString(ReleaseCell(release, column));
        const QString note = QString::fromStdString(release.note);
        QTreeWidgetItem* item = list_->AddRow(texts, note);
        item->setData(0, kNoteRole, note);
        // The code behind a country's name, for those who know the codes.
        for (int at = 0; at < static_cast<int>(columns.size()); ++at)
            if (columns[static_cast<std::size_t>(at)] == ReleaseColumn::kCountry &&
                !release.country.empty() && texts[at] != QString::fromStdString(release.country))
                item->setToolTip(at, item->toolTip(at) + QStringLiteral(" (") +
                                         QString::fromStdString(release.country) +
                                         QLatin1Char(')'));
        if (release.medium < 0)
            for (int column = 0; column < list_->columnCount(); ++column)
                item->setForeground(column, palette().brush(QPalette::Disabled, QPalette::Text));
    }
    list_->RowsAdded();
}

int ReleaseListPage::selectedRow() const {
    return list_->selectedRow();
}

QTreeWidget* ReleaseListPage::list() const {
    return list_;
}

}  // namespace korvida::gui
