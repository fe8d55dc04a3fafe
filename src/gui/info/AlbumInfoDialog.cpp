#include "gui/info/AlbumInfoDialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvida::gui {

AlbumInfoDialog::AlbumInfoDialog(DiscInfo& disc, int rowCount, QWidget* parent)
    : QDialog(parent), disc_(disc), rowCount_(rowCount), fields_(this) {
    setWindowTitle(tr("唱片信息"));
    auto* banner = new QLabel(QStringLiteral("Korvida CD Ripper"), this);
    QFont font(QStringLiteral("Verana"));
    font.setPixelSize(18);
    font.setWeight(QFont::Bold);
    font.setItalic(true);
    banner->setFont(font);

    auto* form = new QFormLayout;
    fields_.AddEdit(form, tr("专辑名"), &TrackInfo::Album, 250);
    fields_.AddEdit(form, tr("艺术家"), &TrackInfo::Artist, 250);
    fields_.AddEdit(form, tr("年份"), &TrackInfo::Year, 4);
    fields_.AddEdit(form, tr("注释"), &TrackInfo::Comment, 250);
    QComboBox* genre = fields_.AddGenre(form, tr("流派"));
    fields_.AddEdit(form, tr("作曲家"), &TrackInfo::Composer);
    fields_.AddEdit(form, tr("原创者"), &TrackInfo::OrigArtist);
    fields_.AddEdit(form, tr("版权"), &TrackInfo::Copyright);
    fields_.AddEdit(form, tr("URL"), &TrackInfo::URL);
    fields_.AddEdit(form, tr("编码者"), &TrackInfo::EncodedBy);
    if (!disc_.catalog.empty()) {
        // The disc's own catalogue number: shown, never edited.
        auto* catalog = new QLineEdit(QString::fromStdString(disc_.catalog), this);
        catalog->setObjectName(QStringLiteral("catalog"));
        catalog->setReadOnly(true);
        form->addRow(tr("UPC/EAN"), catalog);
    }
    fields_.Load(disc_.album);
    // Only a pick from the list gives a genre number; typing takes it away again.
    connect(genre, qOverload<int>(&QComboBox::activated), this, [this](int i) { picked_ = i; });
    connect(genre->lineEdit(), &QLineEdit::textEdited, this, [this] { picked_ = -1; });

    auto* info =
        new QLabel(tr("唱片音量 ID: %1   \n总计音轨数目:  %2").arg(QString()).arg(rowCount), this);

    auto* ok = new QPushButton(tr("确定"), this);
    auto* copy = new QPushButton(tr("复制信息到每条音轨"), this);
    auto* cancel = new QPushButton(tr("取消"), this);
    ok->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(copy);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(banner);
    layout->addLayout(form);
    layout->addWidget(info);
    layout->addLayout(buttons);

    // Wide enough for the copy button's caption beside OK and Cancel.
    setMinimumWidth(420);

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(copy, &QPushButton::clicked, this, &AlbumInfoDialog::CopyToEveryTrack);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void AlbumInfoDialog::accept() {
    fields_.Store(disc_.album);
    disc_.album.Genre = picked_;
    QDialog::accept();
}

void AlbumInfoDialog::CopyToEveryTrack() {
    TrackInfo& album = disc_.album;
    fields_.Store(album);
    for (int i = 0; i < rowCount_ && i < DiscInfo::kMaxTracks; ++i) {
        TrackInfo& track = disc_.tracks[static_cast<std::size_t>(i)];
        track.Artist = album.Artist;
        track.Album = album.Album;
        track.Year = album.Year;
        track.Comment = album.Comment;
        track.GenreName = album.GenreName;
        track.Composer = album.Composer;
        track.OrigArtist = album.OrigArtist;
        track.Copyright = album.Copyright;
        track.URL = album.URL;
        track.EncodedBy = album.EncodedBy;
    }
}

}  // namespace korvida::gui
