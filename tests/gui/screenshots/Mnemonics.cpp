#include "gui/screenshots/Mnemonics.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QMenu>
#include <QWidget>

namespace korvida::gui {
namespace {

// The letter after a single '&', lower case; none for a text without one.
QChar Mnemonic(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&'))
            continue;
        if (text[i + 1] != QLatin1Char('&'))
            return text[i + 1].toLower();
        ++i;
    }
    return {};
}

class Clashes {
  public:
    void Add(const QString& text) {
        const QChar letter = Mnemonic(text);
        if (letter.isNull())
            return;
        if (const auto seen = texts_.constFind(letter); seen != texts_.constEnd() && *seen != text)
            found_.append(QStringLiteral("%1: %2 / %3").arg(letter, *seen, text));
        else
            texts_.insert(letter, text);
    }
    QStringList found() const { return found_; }

  private:
    QHash<QChar, QString> texts_;
    QStringList found_;
};

}  // namespace

QStringList MnemonicClashes(QWidget* window) {
    QStringList found;
    Clashes controls;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!widget->isVisible())
            continue;
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            controls.Add(button->text());
        else if (auto* label = qobject_cast<QLabel*>(widget); label && label->buddy())
            controls.Add(label->text());
        else if (auto* group = qobject_cast<QGroupBox*>(widget))
            controls.Add(group->title());
    }
    found += controls.found();
    for (QMenu* menu : window->findChildren<QMenu*>()) {
        Clashes entries;
        for (const QAction* action : menu->actions())
            entries.Add(action->text());
        found += entries.found();
    }
    return found;
}

}  // namespace korvida::gui
