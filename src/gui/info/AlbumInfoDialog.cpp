#include "gui/info/AlbumInfoDialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/disc/CoverArtStore.h"
#include "core/musicbrainz/MusicBrainzDiscId.h"

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
        QLineEdit* catalog = fields_.AddShown(form, tr("条形码"), QStringLiteral("catalog"));
        catalog->setText(QString::fromStdString(disc_.catalog));
        catalog->setToolTip(tr("光盘上记录的 UPC/EAN 条形码"));
    }
    fields_.Load(disc_.album);
    // Only a pick from the list gives a genre number; typing takes it away again.
    connect(genre, qOverload<int>(&QComboBox::activated), this, [this](int i) { picked_ = i; });
    connect(genre->lineEdit(), &QLineEdit::textEdited, this, [this] { picked_ = -1; });

    auto* info =
        new QLabel(tr("唱片音量 ID: %1   \n总计音轨数目:  %2").arg(QString()).arg(rowCount), this);
    const MusicBrainzDiscId discId = ComputeMusicBrainzDiscId(disc_.rawToc);
    auto* musicBrainzId = new QLabel(
        tr("MusicBrainz 唱片标识: %1").arg(QString::fromStdString(discId.ok ? discId.id : "")),
        this);
    musicBrainzId->setObjectName(QStringLiteral("musicBrainzId"));
    musicBrainzId->setTextInteractionFlags(Qt::TextSelectableByMouse);
    cover_ = new QLabel(this);
    cover_->setObjectName(QStringLiteral("cover"));
    cover_->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    LoadCover();

    auto* ok = new QPushButton(tr("确定"), this);
    auto* copy = new QPushButton(tr("复制信息到每条音轨"), this);
    auto* cancel = new QPushButton(tr("取消"), this);
    ok->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(copy);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    // The cover stands beside the fields it belongs to, when there is one.
    auto* body = new QHBoxLayout;
    body->addLayout(form, 1);
    body->addWidget(cover_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(banner);
    layout->addLayout(body);
    layout->addWidget(info);
    layout->addWidget(musicBrainzId);
    layout->addLayout(buttons);

    // Wide enough for the copy button's caption beside OK and Cancel; a cover beside the
    // fields does not narrow them.
    setMinimumWidth(420 + (cover_->isVisibleTo(this) ? cover_->sizeHint().width() : 0));

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(copy, &QPushButton::clicked, this, &AlbumInfoDialog::CopyToEveryTrack);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void AlbumInfoDialog::LoadCover() {
    constexpr int kSide = 160;
    QPixmap picture;
    if (const CoverImage image = LoadCoverArt(disc_))
        picture.loadFromData(image->data(), static_cast<uint>(image->size()));
    cover_->setVisible(!picture.isNull());
    if (!picture.isNull())
        cover_->setPixmap(
            picture.scaled(kSide, kSide, Qt::KeepAspectRatio, Qt::SmoothTransformation));
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
