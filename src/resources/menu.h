// The main window's menu STARTMENU, the accelerator table ACCEL_TABLE and the
// string table (list-view column headers), as data.
#pragma once

#include <cstddef>

#include "platform/ui_rules.h"
#include "resources/catalogue.h"

namespace res {

// The menu as a flat list in display order: a popup opens a level, kEnd closes it.
enum class MenuKind { Popup, Item, End };
struct MenuEntry {
  MenuKind kind;
  int command;  // Item: its command id; 0 otherwise
  TextId text;  // Popup and Item
};
const MenuEntry* start_menu(std::size_t* count);
// The text of a menu command, false when the menu has no such command.
bool menu_text(int command, TextId* text);

const ui::Accelerator* accel_table(std::size_t* count);

// String-table entry by its number (8100 ...); false when there is none.
bool string_table(int id, TextId* text);

}  // namespace res
