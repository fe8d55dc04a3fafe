#pragma once

#include <functional>

#include "gui/settings/OptionsPage.h"

class QCheckBox;
class QComboBox;
class QPushButton;

namespace korvida::gui {

// "MP3": the encoder, the ID3 switches, bit rates, VBR and stereo mode. The Advanced
// button's dialog stores its three bits at once through `storeAdvanced`.
class Mp3Page : public OptionsPage {
    Q_OBJECT

  public:
    using StoreAdvancedBits = std::function<void(int copyright, int original, int privateBit)>;
    Mp3Page(const Settings& live, StoreAdvancedBits storeAdvanced, QWidget* parent = nullptr);

  protected:
    // The four VBR-only controls follow the VBR box.
    void updateEnables() override;

  private:
    void openAdvanced();

    const Settings& live_;
    StoreAdvancedBits storeAdvanced_;
    QComboBox* engine_;
    QCheckBox* id3v1_;
    QCheckBox* id3v2_;
    QPushButton* advanced_;
    QCheckBox* vbr_;
    QCheckBox* vbrHeader_;
    QComboBox* minBitRate_;
    QComboBox* maxBitRate_;
    QComboBox* mpegQuality_;
    QComboBox* vbrQuality_;
    QComboBox* stereoMode_;
};

}  // namespace korvida::gui
