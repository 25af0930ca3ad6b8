// Keyboard and window rules that both ui backends apply the same way, so that a
// headless test sees what an operator sees on the real program.
#pragma once

#include <cstddef>
#include <functional>

namespace ui {

// Virtual key codes, numerically those of Win32.
enum VirtualKey : int {
  kKeyTab = 0x09,
  kKeyEnter = 0x0D,
  kKeyEscape = 0x1B,
  kKeyF1 = 0x70,
  kKeyF2 = 0x71,
  kKeyF3 = 0x72,
  kKeyF4 = 0x73,
  kKeyF5 = 0x74,
  kKeyF6 = 0x75,
  kKeyF7 = 0x76,
  kKeyF8 = 0x77,
  kKeyF9 = 0x78,
  kKeyF10 = 0x79,
  kKeyF11 = 0x7A,
};

// Dialog controls with a fixed meaning.
constexpr int kIdAction = 900;     // save, OK, login, send
constexpr int kIdSecond = 930;     // a second action
constexpr int kIdExitMenu = 950;   // "Exit Menu"
constexpr int kIdPassword = 700;   // password field of the login and user dialogs

// What Enter does while a modeless dialog is open, by the control that has the
// keyboard focus (0 when the focus is not in the dialog):
//   - on the password field 700: command 900 is posted to the dialog (Login / Save);
//   - on button 900, 930 or 950: that button is pressed;
//   - anywhere else: it acts as Tab, moving the focus to the next field.
enum class EnterAction { PostAction, PressFocused, NextField };
EnterAction enter_action(int focused_id);

struct Accelerator {
  int key;      // VirtualKey
  int command;  // menu command id
};
// The command an accelerator key gives, or 0 when the key has none, the main
// window is disabled (a dialog or list window is open) or the command's menu item
// is greyed. `item_enabled` answers false while no menu is attached (during
// start-up), so that no accelerator acts before the menu state is set.
int accelerator_command(const Accelerator* table, std::size_t count, int key,
                        bool main_window_enabled,
                        const std::function<bool(int command)>& item_enabled);

// Whether an unhandled close request on a dialog presses its "Exit Menu" button:
// only when the dialog has button 950 and it is enabled and visible.
bool close_presses_exit(bool has_exit_button, bool exit_enabled, bool exit_visible);

}  // namespace ui
