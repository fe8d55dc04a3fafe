#pragma once

#include <QFileDialog>

namespace korvida::gui {

// The batch commands' file dialog: several existing files, the command's caption and
// filter, and a row below the dialog's own controls whose "选项..." button asks for the
// options sheet over the dialog.
class ExtendedFileDialog : public QFileDialog {
    Q_OBJECT

  public:
    ExtendedFileDialog(const QString& caption, const QString& filter, const QString& folder,
                       QWidget* parent = nullptr);

  signals:
    void optionsRequested();
};

}  // namespace korvida::gui
