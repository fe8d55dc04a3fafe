#include "gui/widgets/ShownText.h"

#include <QLineEdit>
#include <QPalette>

namespace korvida::gui {

QLineEdit* NewShownText(QWidget* parent) {
    auto* shown = new QLineEdit(parent);
    shown->setReadOnly(true);
    shown->setFrame(false);
    QPalette palette = shown->palette();
    palette.setBrush(QPalette::Base, palette.brush(QPalette::Window));
    shown->setPalette(palette);
    // Reached by a click, for selecting; Tab passes it by.
    shown->setFocusPolicy(Qt::ClickFocus);
    return shown;
}

}  // namespace korvida::gui
