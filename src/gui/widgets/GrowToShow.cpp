#include "gui/widgets/GrowToShow.h"

#include <QScreen>
#include <QWidget>

namespace korvida::gui {

void GrowToShow(QWidget* window, const QWidget* area, const QWidget* part) {
    const QSize more = (part->sizeHint() - area->size()).expandedTo(QSize(0, 0));
    QSize wanted = window->size() + more;
    if (const QScreen* shown = window->screen()) {
        const QRect room = shown->availableGeometry();
        wanted = wanted.boundedTo(QSize(room.width() * 4 / 5, room.height() * 4 / 5));
    }
    window->resize(wanted.expandedTo(window->size()));
}

}  // namespace korvida::gui
