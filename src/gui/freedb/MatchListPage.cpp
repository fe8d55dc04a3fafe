#include "gui/freedb/MatchListPage.h"

#include <QLabel>
#include <QVBoxLayout>

#include "gui/widgets/ChoiceList.h"

namespace korvida::gui {
namespace {

constexpr int kAlbumColumn = 2;

}  // namespace

// The same disc is often filed under several categories: the category column tells
// those rows apart, the album column takes the room.
MatchListPage::MatchListPage(QWidget* parent)
    : QWidget(parent),
      list_(new ChoiceList({tr("No."), tr("Artist"), tr("Album"), tr("Category")}, kAlbumColumn,
                           this)) {
    auto* caption = new QLabel(tr("CDDB 找到一些可能匹配的项目:"), this);
    list_->setObjectName(QStringLiteral("matches"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(list_, 1);
    connect(list_, &ChoiceList::rowActivated, this, &MatchListPage::rowActivated);
}

void MatchListPage::SetMatches(const std::vector<FreedbMatch>& matches) {
    list_->clear();
    for (std::size_t i = 0; i < matches.size(); ++i)
        list_->AddRow({QString::number(i + 1), QString::fromStdString(matches[i].artist),
                       QString::fromStdString(matches[i].title),
                       QString::fromStdString(matches[i].category)});
    list_->RowsAdded();
}

int MatchListPage::selectedRow() const {
    return list_->selectedRow();
}

QTreeWidget* MatchListPage::list() const {
    return list_;
}

}  // namespace korvida::gui
