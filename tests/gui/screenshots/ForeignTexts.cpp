#include "gui/screenshots/ForeignTexts.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTabBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QWidget>

namespace korvida::gui {
namespace {

class Collector {
  public:
    Collector(const QStringList& data, const QStringList& excused)
        : data_(data), excused_(excused) {}

    void Add(const QWidget* widget, const QString& text) {
        for (const QString& piece : excused_)
            if (text.contains(piece))
                return;
        QString rest = text;
        for (const QString& piece : data_)
            if (!piece.isEmpty())
                rest.remove(piece);
        static const QRegularExpression cjk(
            QStringLiteral("[\\x{3000}-\\x{30ff}\\x{3400}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
        if (rest.contains(cjk))
            found_.append(QString::fromLatin1(widget->metaObject()->className()) +
                          QStringLiteral(" ") + widget->objectName() + QStringLiteral(": ") + text);
    }

    void Walk(const QWidget* widget) {
        Add(widget, widget->windowTitle());
        Add(widget, widget->toolTip());
        if (auto* label = qobject_cast<const QLabel*>(widget))
            Add(widget, label->text());
        if (auto* button = qobject_cast<const QAbstractButton*>(widget))
            Add(widget, button->text());
        if (auto* group = qobject_cast<const QGroupBox*>(widget))
            Add(widget, group->title());
        if (auto* bar = qobject_cast<const QProgressBar*>(widget))
            Add(widget, bar->text());
        if (auto* tabs = qobject_cast<const QTabBar*>(widget))
            for (int i = 0; i < tabs->count(); ++i)
                Add(widget, tabs->tabText(i));
        if (auto* header = qobject_cast<const QHeaderView*>(widget); header && header->model())
            for (int i = 0; i < header->count(); ++i)
                Add(widget, header->model()->headerData(i, header->orientation()).toString());
        if (auto* list = qobject_cast<const QComboBox*>(widget); list && !list->isEditable())
            for (int i = 0; i < list->count(); ++i)
                Add(widget, list->itemText(i));
        if (auto* tree = qobject_cast<const QTreeWidget*>(widget))
            for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(tree)); *it; ++it)
                for (int column = 0; column < tree->columnCount(); ++column)
                    Add(widget, (*it)->text(column));
        if (auto* list = qobject_cast<const QListWidget*>(widget))
            for (int i = 0; i < list->count(); ++i)
                Add(widget, list->item(i)->text());
        for (const QAction* action : widget->actions()) {
            Add(widget, action->text());
            Add(widget, action->toolTip());
        }
    }

    QStringList found() const { return found_; }

  private:
    const QStringList& data_;
    const QStringList& excused_;
    QStringList found_;
};

}  // namespace

QStringList ForeignTexts(QWidget* window, const QStringList& data, const QStringList& excused) {
    Collector collector(data, excused);
    collector.Walk(window);
    for (const QWidget* child : window->findChildren<QWidget*>())
        collector.Walk(child);
    QStringList found = collector.found();
    found.removeDuplicates();
    return found;
}

}  // namespace korvida::gui
