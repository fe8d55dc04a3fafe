#include "gui/app/TrackCommands.h"

#include <QClipboard>
#include <QGuiApplication>
#include <utility>

#include "core/platform/UserNotifier.h"
#include "gui/app/DiscController.h"
#include "gui/info/AlbumInfoDialog.h"
#include "gui/info/TrackInfoDialog.h"

namespace korvida::gui {

TrackCommands::TrackCommands(DiscController& discs, UserNotifier& notifier,
                             std::function<void()> showHighlight, QWidget* window)
    : QObject(window),
      discs_(discs),
      notifier_(notifier),
      showHighlight_(std::move(showHighlight)),
      window_(window) {}

void TrackCommands::RowsChanged() {
    discs_.model()->rowsChanged();
}

void TrackCommands::CheckAll(bool checked) {
    discs_.rows().CheckAll(checked);
    RowsChanged();
}

void TrackCommands::InvertChecks() {
    discs_.rows().InvertChecks();
    RowsChanged();
}

void TrackCommands::ChangeCase(TextCase change) {
    ChangeTitleCase(discs_.rows(), discs_.disc(), change);
    RowsChanged();
}

void TrackCommands::MoveRow(TrackList::Move move) {
    TrackList& rows = discs_.rows();
    if (rows.FirstHighlighted() < 0) {
        notifier_.ShowMessage(tr("请高亮显示一个音轨条目以编辑其信息。").toStdString());
        return;
    }
    discs_.model()->resetWith([&] { rows.MoveHighlighted(move); });
    showHighlight_();
}

void TrackCommands::CopyToClipboard() {
    QGuiApplication::clipboard()->setText(QString::fromStdString(ClipboardText(discs_.rows())));
    notifier_.ShowMessage(tr("成功复制 TOC 到剪贴板。").toStdString(),
                          UserNotifier::Icon::kInformation);
}

void TrackCommands::TrackInformation() {
    TrackList& rows = discs_.rows();
    if (rows.FirstHighlighted() < 0) {
        notifier_.ShowMessage(tr("请高亮显示一个音轨条目以编辑其信息。").toStdString());
        return;
    }
    TrackInfoDialog dialog(rows, discs_.disc(), window_);
    // The list follows the dialog from track to track, with the title just stored.
    connect(&dialog, &TrackInfoDialog::highlightMoved, this, [this] {
        RowsChanged();
        showHighlight_();
    });
    dialog.exec();
    RowsChanged();
    showHighlight_();
}

void TrackCommands::DiscInformation() {
    if (discs_.rows().empty()) {
        notifier_.ShowMessage(tr("没有 CD 可以使用！").toStdString());
        return;
    }
    AlbumInfoDialog dialog(discs_.disc(), discs_.rows().size(), window_);
    dialog.exec();
}

}  // namespace korvida::gui
