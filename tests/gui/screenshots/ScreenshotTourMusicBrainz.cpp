// The MusicBrainz dialog's pages for the screenshot tour, fed the answers a lookup would
// give, and the album dialog with a cover stored for the disc.
#include <cerrno>

#include <QBuffer>
#include <QDialog>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QTimer>
#include <memory>

#include "core/disc/CoverArtStore.h"
#include "core/platform/NetworkErrorText.h"
#include "core/settings/Settings.h"
#include "gui/WindowParts.h"
#include "gui/app/CommandIds.h"
#include "gui/app/DiscController.h"
#include "gui/app/MainWindow.h"
#include "gui/musicbrainz/MusicBrainzController.h"
#include "gui/musicbrainz/MusicBrainzDialog.h"
#include "gui/screenshots/ScreenshotTour.h"

namespace korvida::gui {
namespace {

MusicBrainzRelease Release(const char* artist, const char* title, const char* date,
                           const char* country, int media, const char* format = "CD",
                           int tracks = 3, const char* barcode = "") {
    MusicBrainzRelease r;
    r.barcode = barcode;
    r.mbid = "00000000-0000-4000-8000-000000000000";
    r.artist = artist;
    r.title = title;
    r.date = date;
    r.country = country;
    r.media.resize(static_cast<std::size_t>(media));
    for (int i = 0; i < media; ++i) {
        r.media[static_cast<std::size_t>(i)].position = i + 1;
        r.media[static_cast<std::size_t>(i)].format = format;
        r.media[static_cast<std::size_t>(i)].trackCount = tracks;
    }
    r.medium = 0;
    return r;
}

MusicBrainzLookup Lookup(MusicBrainzLookup::Outcome outcome) {
    MusicBrainzLookup lookup;
    lookup.outcome = outcome;
    return lookup;
}

// A square picture with a gradient and a title, as a front cover would look.
std::vector<std::uint8_t> DemoCover() {
    QImage image(500, 500, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 500, 500);
    gradient.setColorAt(0, QColor(0x1d, 0x35, 0x57));
    gradient.setColorAt(1, QColor(0xe6, 0x39, 0x46));
    painter.fillRect(image.rect(), gradient);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPixelSize(56);
    painter.setFont(font);
    painter.drawText(image.rect(), Qt::AlignCenter, QStringLiteral("演示专辑"));
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    image.save(&buffer, "PNG");
    return {bytes.begin(), bytes.end()};
}

}  // namespace

void ScreenshotTour::MusicBrainzWizard() {
    auto controller =
        std::make_shared<MusicBrainzController>(TheSettings(), test::DiscsOf(window_).disc());
    auto* dialog = new MusicBrainzDialog(*controller, &window_);
    dialog->show();
    using Outcome = MusicBrainzLookup::Outcome;
    Pictures(dialog,
             {{QStringLiteral("musicbrainz-progress"), [] {}},
              {QStringLiteral("musicbrainz-releases"),
               [controller] {
                   MusicBrainzLookup found = Lookup(Outcome::kFound);
                   // Five editions of one album: long titles, and what tells them apart.
                   found.releases = {
                       Release("演示歌手", "初恋 (十五周年纪念版) 豪华限定盘", "2014-03-12", "JP",
                               2, "SHM-CD", 3, "4988006251234"),
                       Release("演示歌手", "初恋 (十五周年纪念版)", "2014-03-12", "JP", 1, "CD", 3,
                               "4988006251241"),
                       Release("Demo Artist", "First Love (15th Anniversary Edition)", "2014", "XW",
                               1, "CD", 3, "0602537761234"),
                       Release("Demo Artist", "First Love (15th Anniversary Deluxe Edition)",
                               "2014-04", "US", 2, "CD", 3, "0602537765678"),
                       Release("演示歌手", "初恋", "1999-03-10", "HK", 1, "CD", 3, "")};
                   controller->LookupDone(found);
               }},
              {QStringLiteral("musicbrainz-no-match"),
               [controller] {
                   MusicBrainzLookup none = Lookup(Outcome::kNotFound);
                   none.disc.submissionUrl =
                       "https://musicbrainz.org/cdtoc/attach?id=Wn8eRBtfLDfM0qjYPdxrz.Zjs_U-"
                       "&tracks=3&toc=1+3+22650+150+7650+15150";
                   controller->LookupDone(none);
               }},
              {QStringLiteral("musicbrainz-error"),
               [controller] {
                   MusicBrainzLookup failed = Lookup(Outcome::kFailed);
                   failed.errorText = NetworkErrorText(ECONNREFUSED, "musicbrainz.org");
                   controller->LookupDone(failed);
               }}},
             [this, dialog, controller] {
                 delete dialog;
                 AlbumWithCover();
             });
}

void ScreenshotTour::AlbumWithCover() {
    StoreCoverArt(test::DiscsOf(window_).disc(), DemoCover());
    WithModal([this] { test::ActionOf(window_, cmd::kDiscInfo)->trigger(); },
              [this](QWidget* album) {
                  Save(album, QStringLiteral("album-info-cover"));
                  qobject_cast<QDialog*>(album)->reject();
                  Finish();
              });
}

}  // namespace korvida::gui
