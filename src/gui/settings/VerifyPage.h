#pragma once

#include <functional>
#include <optional>

#include "gui/settings/OptionsPage.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace korvida::gui {

class NumberEdit;

// "校验": how the audio is read (the drive's read offset, test and copy, secure reads) and
// how a rip is
// checked against the disc database and recorded.
class VerifyPage : public OptionsPage {
    Q_OBJECT

  public:
    // `detectOffset`: the "检测..." button's search (OptionsContext); none when empty.
    explicit VerifyPage(std::function<std::optional<int>(QWidget* over)> detectOffset = {},
                        QWidget* parent = nullptr);

  protected:
    // The lookup follows the checksums, the server the lookup.
    void updateEnables() override;

  private:
    NumberEdit* offset_;
    NumberEdit* speed_;
    QCheckBox* testAndCopy_;
    QComboBox* secureMode_;
    NumberEdit* secureRereads_;
    QCheckBox* verify_;
    QCheckBox* lookup_;
    QLineEdit* server_;
    QCheckBox* writeLog_;
    // The disc beyond its TOC: gaps and indexes, the hidden track, pre-emphasis, one image.
    QCheckBox* detectGaps_;
    QCheckBox* hiddenTrack_;
    QCheckBox* deEmphasis_;
    QCheckBox* wholeDisc_;
};

}  // namespace korvida::gui
