#pragma once

#include <span>
#include <vector>

namespace korvida::gui {

// One command as the user meets it. Captions are translation sources (context
// "Commands"): the Chinese text is the source, so the program shows it without a .qm.
struct CommandSpec {
    int id = 0;
    const char* caption = "";
    const char* shortcut = nullptr;  // QKeySequence text, or none
    const char* icon = nullptr;      // freedesktop icon name; ":/icons/<name>.svg" backs it
    // The command whose handler runs: image buttons and aliases send another command's
    // number (33011 rip sends 32790). 0: the command has a handler of its own.
    int sends = 0;
};

// Every command, each once.
std::span<const CommandSpec> Commands();
const CommandSpec* FindCommand(int id);
// The command whose handler runs for `id` (the id itself when it sends nothing else).
int HandlerId(int id);

// A menu: its title and its items by command number, 0 standing for a separator.
struct MenuSpec {
    const char* title;
    std::vector<int> items;
};

// The four menus of the menu bar, in order.
const std::vector<MenuSpec>& MenuBarLayout();
// The track list's context menu.
const MenuSpec& ContextMenuLayout();
// The toolbar's buttons, 0 standing for a separator.
const std::vector<int>& ToolBarLayout();

}  // namespace korvida::gui
