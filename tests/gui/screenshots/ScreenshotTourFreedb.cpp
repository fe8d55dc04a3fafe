// The freedb wizards' pages for the screenshot tour. The pages that need a server's
// answer are fed the messages the transport would post; the submission's progress page
// comes from a real transfer to a loopback socket that never answers.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <cerrno>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <memory>

#include "core/freedb/FreedbTransport.h"
#include "core/jobs/Messages.h"
#include "core/platform/NetworkErrorText.h"
#include "core/platform/UniqueFd.h"
#include "core/platform/UserNotifier.h"
#include "core/settings/Settings.h"
#include "gui/WindowParts.h"
#include "gui/app/DiscController.h"
#include "gui/app/MainWindow.h"
#include "gui/freedb/QueryController.h"
#include "gui/freedb/QueryDialog.h"
#include "gui/freedb/StatusPage.h"
#include "gui/freedb/SubmitController.h"
#include "gui/freedb/SubmitDialog.h"
#include "gui/screenshots/ScreenshotTour.h"

namespace korvida::gui {
namespace {

constexpr int kSettleMs = 400;

// A loopback port that takes connections into its backlog and never answers; -1 when
// none could be opened.
int SilentPort(UniqueFd& fd) {
    fd = UniqueFd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    auto* any = reinterpret_cast<sockaddr*>(&address);
    if (!fd.valid() || ::bind(fd.get(), any, sizeof address) != 0 || ::listen(fd.get(), 4) != 0 ||
        ::getsockname(fd.get(), any, &length) != 0)
        return -1;
    return ntohs(address.sin_port);
}

FreedbMatch Match(const char* category, const char* artist, const char* title) {
    FreedbMatch m;
    m.category = category;
    m.discId = "0b004103";
    m.artist = artist;
    m.title = title;
    return m;
}

}  // namespace

void ScreenshotTour::QueryWizard() {
    auto controller = std::make_shared<QueryController>(FreedbServerSettingsFrom(TheSettings()),
                                                        test::DiscsOf(window_).disc());
    auto* dialog = new QueryDialog(*controller, &window_);
    dialog->show();
    Pictures(
        dialog,
        {{QStringLiteral("query-progress"), [] {}},
         {QStringLiteral("query-matches"),
          [controller] {
              controller->QueryDone({Match("folk", "演示歌手", "演示专辑"),
                                     Match("jazz", "Demo Artist", "Demo Album (Live)"),
                                     Match("rock", "Demo Artist", "Demo Album")});
          }},
         {QStringLiteral("query-no-match"), [controller] { controller->QueryDone({}); }},
         {QStringLiteral("query-error"),
          [controller] {
              controller->HandleMessage(Message{
                  WM_FREEDB_ERROR, 0, 0, NetworkErrorText(ECONNREFUSED, "gnudb.gnudb.org:80")});
          }}},
        [this, dialog, controller] {
            delete dialog;
            SubmitWizard();
        });
}

void ScreenshotTour::SubmitWizard() {
    static SilentNotifier silent;
    auto port = std::make_shared<UniqueFd>();
    FreedbServerSettings settings = FreedbServerSettingsFrom(TheSettings());
    settings.Server = "127.0.0.1:" + std::to_string(SilentPort(*port));
    auto controller = std::make_shared<SubmitController>(settings, test::DiscsOf(window_).disc(),
                                                         window_.messageTarget(), silent);
    auto* dialog = new SubmitDialog(*controller, &window_);
    test::PartOf<QLineEdit>(*dialog, "artist").setText(QStringLiteral("演示歌手"));
    test::PartOf<QLineEdit>(*dialog, "album").setText(QStringLiteral("演示专辑"));
    auto& genre = test::PartOf<QComboBox>(*dialog, "genre");
    genre.setCurrentIndex(genre.findText(QStringLiteral("rock")));
    auto& titles = test::PartOf<QTreeWidget>(*dialog, "titles");
    for (int row = 0; row < titles.topLevelItemCount(); ++row)
        titles.topLevelItem(row)->setText(1, QStringLiteral("第 %1 首歌").arg(row + 1));
    dialog->show();
    Pictures(dialog,
             {{QStringLiteral("submit-edit"), [] {}},
              {QStringLiteral("submit-progress"),
               [dialog] { test::PartOf<QPushButton>(*dialog, "submitButton").click(); }}},
             [this, dialog, controller, port] {
                 // The silent server is let go of: Cancel, and the dialog closes.
                 connect(dialog, &QDialog::finished, this, [this, dialog, controller, port] {
                     dialog->deleteLater();
                     SubmitResults();
                 });
                 test::PartOf<QPushButton>(*dialog, "cancelButton").click();
             });
}

void ScreenshotTour::SubmitResults() {
    static SilentNotifier silent;
    auto controller = std::make_shared<SubmitController>(FreedbServerSettingsFrom(TheSettings()),
                                                         test::DiscsOf(window_).disc(),
                                                         window_.messageTarget(), silent);
    auto* dialog = new SubmitDialog(*controller, &window_);
    dialog->show();
    Pictures(dialog,
             {{QStringLiteral("submit-accepted"),
               [controller] {
                   controller->HandleMessage(Message{WM_FREEDB_SUBMIT_DONE, 0, 0, {}});
               }},
              {QStringLiteral("submit-error"),
               [controller] {
                   controller->HandleMessage(Message{WM_FREEDB_SUBMIT_FAILED, 0, 0,
                                                     SubmitErrorText("freedb.example.org", "500")});
               }}},
             [this, dialog, controller] {
                 delete dialog;
                 MusicBrainzWizard();
             });
}

void ScreenshotTour::Pictures(QWidget* dialog, std::vector<std::pair<QString, Step>> shots,
                              Step then) {
    if (shots.empty()) {
        then();
        return;
    }
    const std::pair<QString, Step> shot = shots.front();
    shots.erase(shots.begin());
    shot.second();
    QTimer::singleShot(kSettleMs, this, [this, dialog, name = shot.first, shots, then] {
        Save(dialog, name);
        Pictures(dialog, shots, then);
    });
}

}  // namespace korvida::gui
