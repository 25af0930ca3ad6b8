#include "platform/ui_rules.h"

#include "platform/ui.h"

namespace ui {

EnterAction enter_action(int focused_id) {
  if (focused_id == kIdPassword) return EnterAction::PostAction;
  if (focused_id == kIdAction || focused_id == kIdSecond || focused_id == kIdExitMenu)
    return EnterAction::PressFocused;
  return EnterAction::NextField;
}

int accelerator_command(const Accelerator* table, std::size_t count, int key,
                        bool main_window_enabled,
                        const std::function<bool(int command)>& item_enabled) {
  if (!main_window_enabled) return 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (table[i].key != key) continue;
    return item_enabled(table[i].command) ? table[i].command : 0;
  }
  return 0;
}

bool close_presses_exit(bool has_exit_button, bool exit_enabled, bool exit_visible) {
  return has_exit_button && exit_enabled && exit_visible;
}

Rect centred_over(const Rect& outer, Size inner) {
  Rect r;
  r.width = inner.width;
  r.height = inner.height;
  r.x = inner.width > outer.width ? outer.x : outer.x + (outer.width - inner.width) / 2;
  r.y = inner.height > outer.height ? outer.y : outer.y + (outer.height - inner.height) / 2;
  return r;
}

}  // namespace ui
