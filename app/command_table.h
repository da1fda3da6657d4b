#pragma once
// The main window's commands in one table: each command with its shortcut
// and the items that show it in the menu bar, a popup menu and the toolbar.
// The menu layouts below only name items; every name they use must be an
// item of the table, and a handler can only be given to a command of it.

#include "app/program_icons.h"

#include <QKeyCombination>

#include <span>
#include <string_view>

namespace valmuri {

struct CommandEntry {
    std::string_view name;           // the action's object name ("act_novo")
    QKeyCombination shortcut{};      // shown on the menu and popup items
    std::string_view menu_item;      // item of the menu bar, empty when none
    std::string_view popup_item;     // item of a popup menu, empty when none
    std::string_view toolbar_button; // toolbar button, empty when none
    bool default_item = false;       // drawn bold: the popup's default item
    bool checkable = false;
};

std::span<const CommandEntry> command_entries();
// The command of that name, or nullptr.
const CommandEntry* find_command_spec(std::string_view name);
// The command shown by a menu, popup or toolbar item of that name, or nullptr.
const CommandEntry* find_command_for_item(std::string_view item);

// One line of a menu layout: an item of the table, a separator, the start
// of a submenu (its object name) or the end of the current submenu.
struct MenuLine {
    enum class Kind { Item, Separator, Submenu, EndSubmenu };
    Kind kind;
    std::string_view name;
};

struct MenuLayout {
    std::string_view name; // object name of the menu or popup
    std::span<const MenuLine> lines;
};

// The menus of the menu bar, in order.
std::span<const MenuLayout> menu_bar_layout();
// The two popup menus: popmenu01 (track list) and popmenu02 (file pane).
std::span<const MenuLayout> popup_layouts();

struct ToolbarButton {
    std::string_view name;
    ToolbarPicture picture;
    const char* caption; // until a language sets it
};
std::span<const ToolbarButton> toolbar_layout();

} // namespace valmuri
