#pragma once

#include <QString>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "core/settings/Settings.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace korvida::gui {

class NumberEdit;

// Why a page cannot be left or committed: the message, and the control to put the focus in.
struct PageProblem {
    QString message;
    QWidget* focus = nullptr;
};

// One page of the options sheet. Controls are bound to settings by their Settings.ini
// section and key, so the sheet edits exactly the keys the store loads and saves, with
// the store's clamps; a page adds its own rules by overriding load and commit. A bound
// control is named "section/key".
class OptionsPage : public QWidget {
    Q_OBJECT

  public:
    explicit OptionsPage(QWidget* parent = nullptr);

    // Fills every bound control from `settings`.
    virtual void load(const Settings& settings);
    // Ranges and lengths of the bound controls, in binding order; no side effects.
    std::optional<PageProblem> checkFields() const;
    // Stores every bound control into `settings` and applies the page's own rules; a
    // problem when the page refuses.
    virtual std::optional<PageProblem> commit(Settings& settings);

  protected:
    // 0 or 1.
    void bindCheck(QCheckBox* box, const char* section, const char* key);
    // The list index is the value. A value outside the list shows `shownWhenOutside`, or
    // (kStoreClamp) what the store's load clamp makes of it; a combo showing nothing keeps
    // the stored value.
    static constexpr int kStoreClamp = -1000;
    void bindChoice(QComboBox* combo, const char* section, const char* key,
                    int shownWhenOutside = kStoreClamp);
    // Takes the setting's range and is checked against it; with `clampOnOpen` a stored
    // value out of that range opens as the store's clamp makes it.
    void bindNumber(NumberEdit* edit, const char* section, const char* key,
                    bool clampOnOpen = false);
    // Text edits (also an editable combo's), checked against the setting's length.
    void bindText(QLineEdit* edit, const char* section, const char* key);
    void bindText(QComboBox* combo, const char* section, const char* key);

    // A "..." button as narrow as its text.
    QPushButton* ellipsisButton();

    // Called after load, for the page's enable rules.
    virtual void updateEnables() {}

  private:
    enum class Kind { kCheck, kChoice, kNumber, kText };
    struct Binding {
        Kind kind;
        QWidget* widget;
        std::string section;
        std::string key;
        int option;  // kChoice: shownWhenOutside; kNumber: clampOnOpen
    };
    void bind(Kind kind, QWidget* widget, const char* section, const char* key, int option);

    std::vector<Binding> bindings_;
};

}  // namespace korvida::gui
