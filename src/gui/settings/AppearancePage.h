#pragma once

#include <QColor>
#include <array>

#include "core/settings/RegistryStore.h"
#include "gui/settings/OptionsPage.h"

class QCheckBox;
class QComboBox;
class QPushButton;

namespace korvida::gui {

class ColorPreview;
class OptionsPrompter;

// "外观": the colours of the main window's list and status line, with a preview, and the
// language of the program's texts. The colour chooser's 16 custom colours are kept in the
// registry store between sheets.
class AppearancePage : public OptionsPage {
    Q_OBJECT

  public:
    // The colours, in the order of their buttons.
    enum Slot { kText, kSelectedText, kShadow, kStatusLine, kBackground, kSlotCount };

    AppearancePage(OptionsPrompter& prompter, RegistryStore registry, QWidget* parent = nullptr);

    void load(const Settings& settings) override;
    // Stores the colours and the switch, and the custom colours in the registry store.
    std::optional<PageProblem> commit(Settings& settings) override;

  private:
    void choose(Slot slot);
    void setDefaults();
    void showColors();

    OptionsPrompter& prompter_;
    RegistryStore registry_;
    std::array<QPushButton*, kSlotCount> buttons_{};
    QPushButton* defaults_;
    QCheckBox* shadow_;
    ColorPreview* preview_;
    QComboBox* language_;
    std::array<int, kSlotCount> colors_{};  // 0x00BBGGRR
    std::array<QColor, 16> custom_;
};

}  // namespace korvida::gui
