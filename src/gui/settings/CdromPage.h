#pragma once

#include <string>
#include <vector>

#include "gui/settings/OptionsPage.h"

class QCheckBox;
class QComboBox;

namespace korvida::gui {

class NumberEdit;

// "CD-ROM": the drive, its type and the reading parameters.
class CdromPage : public OptionsPage {
    Q_OBJECT

  public:
    // `driveNames`: the main window's drive list, in drive-table order.
    explicit CdromPage(const std::vector<std::string>& driveNames, QWidget* parent = nullptr);

  protected:
    // The two silence frame counts follow the delete-silence box.
    void updateEnables() override;

  private:
    QComboBox* drive_;
    QComboBox* type_;
    QCheckBox* deleteSilence_;
    NumberEdit* leading_;
    NumberEdit* trailing_;
    QCheckBox* disableAutoPlay_;
    QCheckBox* skipError_;
    NumberEdit* retries_;
    NumberEdit* buffer_;
    QCheckBox* digitalPlayback_;
};

}  // namespace korvida::gui
