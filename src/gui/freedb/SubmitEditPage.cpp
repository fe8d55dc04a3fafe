#include "gui/freedb/SubmitEditPage.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>

namespace korvida::gui {

SubmitEditPage::SubmitEditPage(QWidget* parent)
    : QWidget(parent),
      artist_(new QLineEdit(this)),
      album_(new QLineEdit(this)),
      genre_(new QComboBox(this)),
      revision_(new QLineEdit(this)),
      titles_(new QTreeWidget(this)) {
    for (const char* category : FREEDB_CATEGORIES)
        genre_->addItem(QString::fromLatin1(category));
    artist_->setObjectName(QStringLiteral("artist"));
    album_->setObjectName(QStringLiteral("album"));
    genre_->setObjectName(QStringLiteral("genre"));
    revision_->setObjectName(QStringLiteral("revision"));
    titles_->setObjectName(QStringLiteral("titles"));
    titles_->setColumnCount(2);
    titles_->setHeaderLabels({tr("No."), tr("Title")});
    titles_->setRootIsDecorated(false);
    titles_->setSelectionBehavior(QAbstractItemView::SelectRows);
    titles_->setSelectionMode(QAbstractItemView::SingleSelection);
    titles_->setAllColumnsShowFocus(true);
    titles_->setEditTriggers(QAbstractItemView::NoEditTriggers);  // only the double click
    titles_->header()->setStretchLastSection(false);
    titles_->setColumnWidth(0, 40);

    auto* grid = new QGridLayout(this);
    const auto label = [this](const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text, this);
        l->setBuddy(buddy);
        return l;
    };
    grid->addWidget(label(tr("艺术家(&A):"), artist_), 0, 0);
    grid->addWidget(artist_, 0, 1, 1, 3);
    grid->addWidget(label(tr("专辑(&L):"), album_), 1, 0);
    grid->addWidget(album_, 1, 1, 1, 3);
    grid->addWidget(label(tr("流派:"), genre_), 2, 0);
    grid->addWidget(genre_, 2, 1);
    grid->addWidget(label(tr("修订:"), revision_), 2, 2);
    grid->addWidget(revision_, 2, 3);
    grid->addWidget(titles_, 3, 0, 1, 4);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(3, 1);

    connect(titles_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { EditRow(item); });
    connect(titles_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        if (!loading_ && column == 1)
            emit titleEdited(titles_->indexOfTopLevelItem(item), item->text(1));
    });
}

void SubmitEditPage::Load(const SubmitForm& form) {
    loading_ = true;
    artist_->setText(QString::fromStdString(form.artist));
    album_->setText(QString::fromStdString(form.album));
    genre_->setCurrentIndex(genre_->findText(QString::fromStdString(form.category),
                                             Qt::MatchFixedString | Qt::MatchCaseSensitive));
    revision_->setText(QString::fromStdString(form.revision));
    titles_->clear();
    for (std::size_t i = 0; i < form.titles.size(); ++i) {
        auto* item = new QTreeWidgetItem(titles_);
        item->setText(0, QString::number(i + 1));
        item->setText(1, QString::fromStdString(form.titles[i]));
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
    loading_ = false;
}

SubmitForm SubmitEditPage::Form() const {
    SubmitForm form;
    form.artist = artist_->text().toStdString();
    form.album = album_->text().toStdString();
    form.category =
        genre_->currentIndex() < 0 ? std::string() : genre_->currentText().toStdString();
    form.revision = revision_->text().toStdString();
    for (int r = 0; r < titles_->topLevelItemCount(); ++r)
        form.titles.push_back(titles_->topLevelItem(r)->text(1).toStdString());
    return form;
}

void SubmitEditPage::EditRow(QTreeWidgetItem* item) {
    // The title cell, whichever column was clicked; the editor opens with its text
    // selected, commits on Enter or focus loss and abandons on Escape.
    titles_->setCurrentItem(item);
    titles_->scrollToItem(item);
    titles_->editItem(item, 1);
}

void SubmitEditPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    titles_->setColumnWidth(1, std::max(60, titles_->width() - 60));
}

}  // namespace korvida::gui
