#include "gui/settings/OptionsPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "core/settings/SettingsKeys.h"
#include "gui/settings/NumberEdit.h"

namespace korvida::gui {
namespace {

QLineEdit* LineEditOf(QWidget* widget) {
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        return combo->lineEdit();
    return qobject_cast<QLineEdit*>(widget);
}

}  // namespace

OptionsPage::OptionsPage(QWidget* parent) : QWidget(parent) {}

void OptionsPage::bind(Kind kind, QWidget* widget, const char* section, const char* key,
                       int option) {
    Settings probe;
    const SettingField field = FindSetting(probe, section, key);
    // A misspelt key is a programming error that every test opening the sheet catches.
    if (!field || (kind == Kind::kText) != (field.text != nullptr))
        qFatal("options page: no %s key [%s] %s", kind == Kind::kText ? "text" : "integer", section,
               key);
    // Named after what it edits, for the tools that find controls by name.
    widget->setObjectName(QString::fromLatin1(section) + QLatin1Char('/') +
                          QString::fromLatin1(key));
    bindings_.push_back(Binding{kind, widget, section, key, option});
}

void OptionsPage::bindCheck(QCheckBox* box, const char* section, const char* key) {
    bind(Kind::kCheck, box, section, key, 0);
}

void OptionsPage::bindChoice(QComboBox* combo, const char* section, const char* key,
                             int shownWhenOutside) {
    bind(Kind::kChoice, combo, section, key, shownWhenOutside);
}

void OptionsPage::bindNumber(NumberEdit* edit, const char* section, const char* key,
                             bool clampOnOpen) {
    bind(Kind::kNumber, edit, section, key, clampOnOpen ? 1 : 0);
    Settings probe;
    const IntRule rule = FindSetting(probe, section, key).intRule;
    edit->setBounds(rule.lo, rule.hi);
}

void OptionsPage::bindText(QLineEdit* edit, const char* section, const char* key) {
    bind(Kind::kText, edit, section, key, 0);
}

void OptionsPage::bindText(QComboBox* combo, const char* section, const char* key) {
    bind(Kind::kText, combo, section, key, 0);
}

QPushButton* OptionsPage::ellipsisButton() {
    auto* button = new QPushButton(tr("..."), this);
    button->setFixedWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
    return button;
}

void OptionsPage::load(const Settings& settings) {
    Settings copy = settings;
    for (const Binding& b : bindings_) {
        const SettingField field = FindSetting(copy, b.section, b.key);
        switch (b.kind) {
            case Kind::kCheck:
                static_cast<QCheckBox*>(b.widget)->setChecked(*field.integer != 0);
                break;
            case Kind::kChoice: {
                auto* combo = static_cast<QComboBox*>(b.widget);
                int index = *field.integer;
                if (index < 0 || index >= combo->count())
                    index = b.option == kStoreClamp ? field.intRule.clamp(index) : b.option;
                combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
                break;
            }
            case Kind::kNumber: {
                auto* edit = static_cast<NumberEdit*>(b.widget);
                int value = *field.integer;
                if (b.option && (value < edit->lo() || value > edit->hi()))
                    value = field.intRule.clamp(value);
                edit->setValue(value);
                break;
            }
            case Kind::kText:
                LineEditOf(b.widget)->setText(QString::fromStdString(*field.text));
                break;
        }
    }
    updateEnables();
}

std::optional<PageProblem> OptionsPage::checkFields() const {
    Settings probe;
    for (const Binding& b : bindings_) {
        const SettingField field = FindSetting(probe, b.section, b.key);
        std::optional<std::string> message;
        if (b.kind == Kind::kNumber) {
            auto* edit = static_cast<NumberEdit*>(b.widget);
            edit->interpretText();
            message = CheckRange(edit->value(), field.intRule.lo, field.intRule.hi);
        } else if (b.kind == Kind::kText) {
            message =
                CheckLength(LineEditOf(b.widget)->text().toStdString(), field.textRule.maxChars);
        }
        if (message)
            return PageProblem{QString::fromStdString(*message), b.widget};
    }
    return std::nullopt;
}

std::optional<PageProblem> OptionsPage::commit(Settings& settings) {
    for (const Binding& b : bindings_) {
        const SettingField field = FindSetting(settings, b.section, b.key);
        switch (b.kind) {
            case Kind::kCheck:
                *field.integer = static_cast<QCheckBox*>(b.widget)->isChecked() ? 1 : 0;
                break;
            case Kind::kChoice:
                if (const int index = static_cast<QComboBox*>(b.widget)->currentIndex(); index >= 0)
                    *field.integer = index;
                break;
            case Kind::kNumber:
                *field.integer = static_cast<NumberEdit*>(b.widget)->value();
                break;
            case Kind::kText:
                *field.text = LineEditOf(b.widget)->text().toStdString();
                break;
        }
    }
    return std::nullopt;
}

}  // namespace korvida::gui
