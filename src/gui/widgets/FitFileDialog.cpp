#include "gui/widgets/FitFileDialog.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QTreeView>
#include <algorithm>

namespace korvida::gui {

void FitFileDialog(QFileDialog& dialog) {
    // Qt gives size, type and date fixed widths that cut "WAV audio" and the time; they
    // take their contents' width instead, and the name column the rest. (A desktop's own
    // dialog has no such view.)
    if (auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = details->header();
        header->setSectionResizeMode(0, QHeaderView::Stretch);
        for (int column = 1; column < header->count(); ++column)
            header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
    // About 110 average characters: the side bar, a file name of some length, a size,
    // a type such as "WAV audio" and a date with its time.
    const QFontMetrics metrics = dialog.fontMetrics();
    const int width = metrics.averageCharWidth() * 110;
    const int height = metrics.lineSpacing() * 28;
    dialog.resize(std::max(dialog.width(), width), std::max(dialog.height(), height));
}

}  // namespace korvida::gui
