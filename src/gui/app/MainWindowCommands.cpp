// The main window's routing: each command number goes to the part that does its work,
// and each message from a worker or a wizard to the part it is for.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

#include "core/jobs/Messages.h"
#include "gui/app/CommandIds.h"
#include "gui/app/CommandTable.h"
#include "gui/app/DiscController.h"
#include "gui/app/FileCommands.h"
#include "gui/app/HelpPage.h"
#include "gui/app/JobCommands.h"
#include "gui/app/MainWindow.h"
#include "gui/app/OptionsApplication.h"
#include "gui/app/PlayerCommands.h"
#include "gui/app/TrackCommands.h"
#include "gui/freedb/FreedbWizards.h"
#include "gui/musicbrainz/MusicBrainzWizard.h"
#include "gui/player/PlayerController.h"
#include "gui/progress/LogLines.h"

namespace korvida::gui {

void MainWindow::BindHandlers() {
    using namespace cmd;
    using Move = TrackList::Move;
    JobCommands* jobs = jobCommands_;
    FileCommands* files = files_;
    TrackCommands* tracks = tracks_;
    Bind(kEncodeWavToMp3, [jobs] { jobs->FileCommand(FileJobKind::kEncodeMp3); });
    Bind(kEncodeWavToOgg, [jobs] { jobs->FileCommand(FileJobKind::kEncodeOgg); });
    Bind(kDecodeMp3ToWav, [jobs] { jobs->FileCommand(FileJobKind::kDecodeMp3); });
    Bind(kEncodeWavToFlac, [jobs] { jobs->FileCommand(FileJobKind::kEncodeFlac); });
    Bind(kEncodeWavToOpus, [jobs] { jobs->FileCommand(FileJobKind::kEncodeOpus); });
    Bind(kDecodeFlacToWav, [jobs] { jobs->FileCommand(FileJobKind::kDecodeFlac); });
    Bind(kNormaliseWav, [jobs] { jobs->FileCommand(FileJobKind::kNormaliseWav); });
    Bind(kVerifyRip, [jobs] { jobs->VerifyRip(); });
    Bind(kOpenImage, [files] { files->OpenImage(); });
    Bind(kImportCdPlayerIni, [files] { files->ImportCdPlayerIni(); });
    Bind(kExportCdPlayerIni, [files] { files->ExportCdPlayerIni(); });
    Bind(kDefaultPlayer, [this] { player_->DefaultPlayer(); });
    Bind(kViewLog, [jobs] { jobs->ViewLog(); });
    Bind(kEject, [this] { discs_->eject(); });
    Bind(kExit, [this] { close(); });

    Bind(kTrackInfo, [tracks] { tracks->TrackInformation(); });
    Bind(kDiscInfo, [tracks] { tracks->DiscInformation(); });
    Bind(kSelectAll, [tracks] { tracks->CheckAll(true); });
    Bind(kSelectNone, [tracks] { tracks->CheckAll(false); });
    Bind(kInvertSelection, [tracks] { tracks->InvertChecks(); });
    Bind(kUpperCase, [tracks] { tracks->ChangeCase(TextCase::kUpper); });
    Bind(kLowerCase, [tracks] { tracks->ChangeCase(TextCase::kLower); });
    Bind(kCapitalise, [tracks] { tracks->ChangeCase(TextCase::kCapitalise); });
    Bind(kCopyToClipboard, [tracks] { tracks->CopyToClipboard(); });
    Bind(kOptions, [this] { options_->Open(); });

    Bind(kRip, [jobs] { jobs->Rip(); });
    Bind(kOpenOutputFolder, [files] { files->OpenOutputFolder(); });
    // The reload reads the titles back from the disc database: typed ones go there first.
    Bind(kRefreshToc, [this] {
        discs_->storeDisc();
        discs_->refresh();
    });
    Bind(kHelpTopics, [this] { ShowHelp(notifier_); });
    Bind(kAbout, [this] { ShowAbout(this); });

    Bind(kMoveTop, [tracks] { tracks->MoveRow(Move::kTop); });
    Bind(kMoveUp, [tracks] { tracks->MoveRow(Move::kUp); });
    Bind(kMoveDown, [tracks] { tracks->MoveRow(Move::kDown); });
    Bind(kMoveBottom, [tracks] { tracks->MoveRow(Move::kBottom); });
    Bind(kButtonMinimise, [this] { showMinimized(); });
    Bind(kOpenFileMenu, [this] { OpenMenu(0); });
    Bind(kOpenEditMenu, [this] { OpenMenu(1); });
    Bind(kOpenActionMenu, [this] { OpenMenu(2); });
    Bind(kOpenHelpMenu, [this] { OpenMenu(3); });

    // The player is made with the centre, after this.
    Bind(kPlaySelected, [this] { player_->player().PlaySelected(); });
    Bind(kPlayHighlighted, [this] { player_->player().PlayHighlighted(); });
    Bind(kButtonPause, [this] { player_->player().Pause(); });
    Bind(kStop, [this] { player_->player().Stop(); });
    Bind(kPreviousTrack, [this] { player_->player().Previous(); });
    Bind(kNextTrack, [this] { player_->player().Next(); });
    Bind(kVolumeControl, [this] { player_->VolumeControl(); });
    Bind(kQueryFreedb, [this] { RunQueryWizard(*discs_, notifier_, this); });
    Bind(kQueryMusicBrainz, [this] { RunMusicBrainzWizard(*discs_, notifier_, this); });
    Bind(kSubmitFreedb, [this] { RunSubmitWizard(*discs_, *target_, notifier_, this); });
}

void MainWindow::OpenMenu(int index) {
    QMenu* m = menus_[index];
    const QRect title = menuBar()->actionGeometry(m->menuAction());
    m->popup(menuBar()->mapToGlobal(title.bottomLeft()));
}

void MainWindow::Bind(int id, std::function<void()> handler) {
    handlers_[id] = std::move(handler);
}

void MainWindow::Trigger(int id) {
    // While a job's progress window is open the main window takes no commands.
    if (JobBusy())
        return;
    const auto found = handlers_.find(HandlerId(id));
    if (found != handlers_.end())
        found->second();
}

void MainWindow::UpdateCommandStates() {
    const bool jobRunning = JobBusy();
    const bool loading = discs_->busy();
    static const int kDiscCommands[] = {cmd::kEject,
                                        cmd::kButtonEject,
                                        cmd::kRefreshToc,
                                        cmd::kImportCdPlayerIni,
                                        cmd::kExportCdPlayerIni,
                                        cmd::kOpenImage,
                                        cmd::kOptions,
                                        cmd::kButtonOptions};
    for (auto& [id, action] : actions_) {
        bool enabled = !jobRunning;
        if (loading && std::find(std::begin(kDiscCommands), std::end(kDiscCommands), id) !=
                           std::end(kDiscCommands))
            enabled = false;
        action->setEnabled(enabled);
    }
}

void MainWindow::HandleMessage(const Message& m) {
    TrackList& rows = discs_->rows();
    switch (m.id) {
        case WM_STATUS_HINT:
            // A hint's text travels with it; wParam 0 brings the device text back.
            if (m.wParam == 0)
                status_->setText(discs_->statusText());
            else if (!m.text.empty())
                status_->setText(QString::fromStdString(m.text));
            break;
        case WM_RIP_REQUEST:
            if (!m.wParam)
                repaint();
            Trigger(cmd::kRip);
            break;
        case WM_CURRENT_TRACK:
            rows.HighlightOnly(rows.FindTrack(static_cast<int>(m.wParam)));
            ShowHighlight();
            break;
        case WM_TITLE_EDITED:
            if (m.wParam >= 0 && m.wParam < DiscInfo::kMaxTracks) {
                discs_->disc().tracks[static_cast<std::size_t>(m.wParam)].Title = m.text;
                rows.SetTitle(static_cast<int>(m.wParam), m.text);
                discs_->model()->rowsChanged();
            }
            break;
        case WM_RESTORE:
            if (isMinimized())
                showNormal();
            raise();
            activateWindow();
            break;
        case WM_JOB_LOG:
            jobCommands_->log().append(QString::fromStdString(m.text));
            break;
        case WM_POSITION_SLIDER:
        case WM_VOLUME_SETUP:
        case WM_SET_VOLUME:
            player_->HandleMessage(m);
            break;
        default:
            break;
    }
}

}  // namespace korvida::gui
