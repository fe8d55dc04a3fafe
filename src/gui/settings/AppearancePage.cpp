#include "gui/settings/AppearancePage.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/settings/SettingsKeys.h"
#include "gui/settings/ColorPreview.h"
#include "gui/settings/OptionsPrompter.h"

namespace korvida::gui {
namespace {

// Each slot's key in the table's section "COLOR", and its button.
struct SlotInfo {
    const char* key;
    const char* label;
};
constexpr SlotInfo kSlots[AppearancePage::kSlotCount] = {
    {"TextColor", QT_TR_NOOP("文本(&T)")},
    {"TextSelColor", QT_TR_NOOP("高亮文本(&H)")},
    {"TextShadowColor", QT_TR_NOOP("文本阴影(&A)")},
    {"StatusLineColor", QT_TR_NOOP("状态行(&S)")},
    {"BackgroundColor", QT_TR_NOOP("背景(&B)")}};

int& ColorOf(Settings& settings, int slot) {
    return *FindSetting(settings, "COLOR", kSlots[slot].key).integer;
}

// A small swatch on each button shows its colour.
QIcon Swatch(const QColor& color) {
    QPixmap pixmap(14, 14);
    pixmap.fill(color);
    return QIcon(pixmap);
}

}  // namespace

AppearancePage::AppearancePage(OptionsPrompter& prompter, RegistryStore registry, QWidget* parent)
    : OptionsPage(parent),
      prompter_(prompter),
      registry_(std::move(registry)),
      defaults_(new QPushButton(tr("默认设置(&D)"))),
      shadow_(new QCheckBox(tr("显示文本阴影(&W)"))),
      preview_(new ColorPreview),
      language_(new QComboBox) {
    auto* grid = new QGridLayout;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        auto* button = new QPushButton(tr(kSlots[slot].label));
        button->setObjectName(QStringLiteral("COLOR/") + QString::fromLatin1(kSlots[slot].key));
        buttons_[slot] = button;
        grid->addWidget(button, slot / 3, slot % 3);
        connect(button, &QPushButton::clicked, this, [this, slot] { choose(Slot(slot)); });
    }
    defaults_->setObjectName(QStringLiteral("defaultsButton"));
    preview_->setObjectName(QStringLiteral("preview"));
    grid->addWidget(defaults_, 1, 2);
    auto* previewGroup = new QGroupBox(tr("预览"));
    auto* previewLayout = new QVBoxLayout(previewGroup);
    previewLayout->addWidget(preview_);

    // Each language in its own words, so a user who cannot read the current one still
    // finds theirs.
    language_->setObjectName(QStringLiteral("Misc/Language"));
    language_->addItem(QStringLiteral("中文"),  // not translated: its own name
                       QStringLiteral("zh"));
    language_->addItem(QStringLiteral("English"), QStringLiteral("en"));
    language_->addItem(tr("跟随系统"), QStringLiteral("auto"));
    auto* languageRow = new QFormLayout;
    auto* languageLabel = new QLabel(tr("语言(&L):"));
    languageLabel->setBuddy(language_);
    languageRow->addRow(languageLabel, language_);
    languageRow->addRow(QString(), new QLabel(tr("更改语言后，重新启动程序时生效。")));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(shadow_);
    layout->addWidget(previewGroup, 1);
    layout->addLayout(languageRow);

    bindCheck(shadow_, "COLOR", "BoolShadowColor");
    connect(defaults_, &QPushButton::clicked, this, &AppearancePage::setDefaults);
    connect(shadow_, &QCheckBox::toggled, this, &AppearancePage::showColors);
}

void AppearancePage::load(const Settings& settings) {
    Settings copy = settings;
    for (int slot = 0; slot < kSlotCount; ++slot)
        colors_[slot] = ColorOf(copy, slot);
    const auto custom = registry_.ReadCustomColors();
    for (std::size_t i = 0; i < custom.size(); ++i)
        custom_[i] = ColorFromBgr(static_cast<int>(custom[i]));
    OptionsPage::load(settings);
    language_->setCurrentIndex(
        std::max(0, language_->findData(QString::fromStdString(settings.Language))));
    showColors();
}

std::optional<PageProblem> AppearancePage::commit(Settings& settings) {
    OptionsPage::commit(settings);
    settings.Language = language_->currentData().toString().toStdString();
    for (int slot = 0; slot < kSlotCount; ++slot)
        ColorOf(settings, slot) = colors_[slot];
    std::array<std::uint32_t, 16> custom{};
    for (std::size_t i = 0; i < custom.size(); ++i)
        custom[i] = static_cast<std::uint32_t>(BgrFromColor(custom_[i]));
    registry_.WriteCustomColors(custom);
    return std::nullopt;
}

void AppearancePage::choose(Slot slot) {
    if (auto chosen = prompter_.chooseColor(this, ColorFromBgr(colors_[slot]), custom_))
        colors_[slot] = BgrFromColor(*chosen);
    showColors();
}

// The store's defaults, except the shadow colour and its switch.
void AppearancePage::setDefaults() {
    Settings defaults;
    for (Slot slot : {kText, kSelectedText, kBackground, kStatusLine})
        colors_[slot] = ColorOf(defaults, slot);
    showColors();
}

void AppearancePage::showColors() {
    for (int slot = 0; slot < kSlotCount; ++slot)
        buttons_[slot]->setIcon(Swatch(ColorFromBgr(colors_[slot])));
    preview_->setColors(
        ColorPreview::Colors{ColorFromBgr(colors_[kText]), ColorFromBgr(colors_[kSelectedText]),
                             ColorFromBgr(colors_[kBackground]), ColorFromBgr(colors_[kStatusLine]),
                             ColorFromBgr(colors_[kShadow]), shadow_->isChecked()});
}

}  // namespace korvida::gui
