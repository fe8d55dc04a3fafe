#pragma once

#include <QDialog>

class QCheckBox;

namespace korvida::gui {

// "高级": the copyright, original and private bits of the MPEG frames.
class Mp3AdvancedDialog : public QDialog {
    Q_OBJECT

  public:
    Mp3AdvancedDialog(int copyright, int original, int privateBit, QWidget* parent = nullptr);

    QCheckBox* copyrightBox() const { return copyright_; }
    QCheckBox* originalBox() const { return original_; }
    QCheckBox* privateBox() const { return private_; }

  private:
    QCheckBox* copyright_;
    QCheckBox* original_;
    QCheckBox* private_;
};

}  // namespace korvida::gui
