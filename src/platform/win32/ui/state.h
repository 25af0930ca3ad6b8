// The Win32 ui backend's own state: what it keeps beside the real windows
// (handlers, control kinds, colours, fonts, the open dialogs). Internal to the
// backend; views use ui.h.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/control_kind.h"
#include "platform/headless/driver.h"
#include "platform/ui.h"

namespace ui::win32 {

// Posted commands travel as this message: wParam = id, lParam = param.
constexpr UINT kPostedCommand = WM_APP + 1;

using Kind = ControlKind;

struct ControlInfo {
  Kind kind = Kind::Label;
  unsigned edit_styles = 0;
  bool has_background = false;
  Colour background = kFaceColour;
  Colour foreground = rgb(0, 0, 0);
  HBRUSH brush = nullptr;  // background brush, owned
  HFONT font = nullptr;    // font of set_font_height, owned
  int low = 0, high = 100, step = 10;  // progress bar
  int limit = 0;  // text limit set by limit_text (0: the system's)
  std::string last_text;  // edits: the text last reported by EditChanged
};

enum class WinKind { Main, List, Dialog, Overlay };

struct WinData {
  WinKind kind = WinKind::Main;
  Handler handler;
  std::string name;  // class name, or the resource name of a dialog
  HWND owner = nullptr;
  std::map<int, ControlInfo> controls;
  HDC paint_dc = nullptr;  // set while the handler paints
  std::string overlay_text;
  HFONT overlay_font = nullptr;
  int redraws = 0;  // calls of redraw, for the test driver
  bool ready = false;  // created and shown: size changes are reported from now on
};

struct State {
  std::map<HWND, WinData> windows;
  std::vector<HWND> dialogs;  // open dialogs, oldest first
  HWND main = nullptr;
  HACCEL accelerators = nullptr;
  HICON icon_large = nullptr, icon_small = nullptr;
  bool classes_registered = false;
  // set_text raises one EditChanged itself; the control's own notification is
  // held back meanwhile.
  HWND quiet_control = nullptr;
  int menu_redraws = 0;
  // Changes of an edit's text by the control itself (typing), counted for the
  // test driver, which tells taken characters from dropped ones by it.
  long edit_changes = 0;
};

State& state();
HINSTANCE instance();

inline HWND hwnd(Window w) { return reinterpret_cast<HWND>(w); }
inline Window handle(HWND h) { return reinterpret_cast<Window>(h); }

WinData* data(HWND h);
ControlInfo* info(HWND parent, int id);
HWND control(Window w, int id);
// Calls the window's handler; false when it has none or did not handle the event.
bool deliver(HWND h, const Event& e);

std::wstring wide(const std::string& cp1252);
std::string narrow(const std::wstring& text);
std::string window_text(HWND h);
COLORREF colour_ref(const Colour& c);

// The dialog, among the open ones, that holds `h` (itself or a control); null.
HWND dialog_holding(HWND h);
// Control id under the window that has the keyboard focus, 0 when the focus is
// not inside `parent`. The edit inside a combo box counts as the combo box.
int focused_id(HWND parent);

// Message handling shared by the window procedure and the dialog procedure.
// Each returns true when it took the message and sets *result.
bool handle_command(HWND h, WPARAM wp, LPARAM lp);
bool handle_notify(HWND h, LPARAM lp, LRESULT* result);
bool handle_colour(HWND h, HDC dc, HWND ctl, LRESULT* result);
bool handle_draw_item(HWND h, const DRAWITEMSTRUCT* item);
void release_controls(WinData& d);
// Forgets a window that is being destroyed (its controls' brushes and fonts too).
void forget_window(HWND h);
// The operator asked to close the window: its handler decides; unhandled, a
// dialog presses its enabled "Exit Menu" button and any other window is destroyed.
void close_request(HWND h);
// What the message loop does with a message before dispatching it (Enter rule,
// dialog navigation, accelerators); true when it took the message.
bool pre_translate(MSG& msg);

// Test driver hooks (driver.cpp): while a test drives the program, timers, message
// boxes and file dialogs are served by the driver instead of the system.
bool driven();
bool driven_set_timer(HWND h, unsigned id, unsigned ms);
bool driven_kill_timer(HWND h, unsigned id);
void driven_forget(HWND h);
int driven_message_box(Window owner, const std::string& text, const std::string& caption,
                       unsigned style);
void driven_quit(int code);
void driven_overlay_text(const std::string& text);
bool driven_screen_size(Size* size);
bool driven_file_dialog(Window owner, const FileDialog& dialog, std::string* path);
void driven_paint_image(HWND h, Image image, int x, int y, int width, int height, Blend blend);
void driven_paint_text(HWND h, const std::string& text, const Rect& box, const Font& font,
                       Colour colour);
// Failures armed by the test driver for the program's error paths: true when
// this call of that kind is to fail.
using Failing = headless::Failure;
bool failing(Failing f);

}  // namespace ui::win32
