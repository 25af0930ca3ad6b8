// The headless backend's windows and controls, held in memory. Internal to the
// backend: views use ui.h, tests use driver.h.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/control_kind.h"
#include "platform/headless/driver.h"
#include "platform/ui.h"

namespace ui::headless {

using Kind = ControlKind;

struct Row {
  std::vector<std::string> texts;
  bool selected = false;
};

struct Control {
  Kind kind = Kind::Label;
  int id = 0;
  std::string text;
  Rect rect;  // client pixels of the window
  bool enabled = true, visible = true;
  bool tab_stop = false, group_start = false;
  unsigned edit_styles = 0;
  int limit = 0;
  bool checked = false;
  std::vector<std::string> items;
  int selected = -1;
  std::vector<std::string> columns;
  std::vector<int> widths;
  std::vector<Row> rows;
  unsigned list_styles = 0;
  int low = 0, high = 100, step = 10, position = 0;
  std::vector<int> part_edges;
  std::vector<std::string> part_texts;
  Colour background = kFaceColour;
  Colour foreground = rgb(0, 0, 0);
  int font_height = 0;
};

enum class WindowKind { Main, List, Dialog, Overlay };

struct Timer {
  unsigned interval = 0;
  std::uint64_t due = 0;
  std::uint64_t armed = 0;  // order of arming: timers due together fire in it
};

struct WindowState {
  Window handle = kNoWindow;
  WindowKind kind = WindowKind::Main;
  std::string class_name;  // "ENROL", "LView_p" ...; resource name for dialogs
  Window owner = kNoWindow;
  Handler handler;
  std::string title;
  Rect rect;
  bool enabled = true, visible = true;
  bool system_menu = true;        // with it the close box
  std::vector<Control> controls;  // in tab order
  int focus = 0;                  // control that had the focus last
  std::map<unsigned, Timer> timers;
  std::string overlay_text;
  int overlay_font = 0;
  int redraws = 0;
  bool painting = false;
  std::vector<PaintOp> paint_ops;
};

struct Posted {
  Window window;
  int id;
  std::intptr_t param;
};

struct State {
  std::map<Window, std::unique_ptr<WindowState>> windows;
  Window next_handle = 0x100;
  Window main = kNoWindow;
  Window focus_window = kNoWindow;
  bool menu_attached = false;
  std::map<int, bool> menu;  // command -> enabled
  int menu_redraws = 0;
  bool accelerators = false;
  std::deque<Posted> posted;
  bool quit = false;
  int quit_code = 0;
  Size screen{1280, 1024};
  std::vector<std::string> overlay_history;
  std::map<Failure, std::vector<int>> failures;  // countdowns until the call that fails
  std::map<Image, Size> images;
  Image next_image = 1;
  std::uint64_t timers_armed = 0;
};

State& state();
WindowState* find(Window w);
Control* find(Window w, int id);
// Calls the window's handler; false when the window is gone or did not handle it.
bool deliver(Window w, const Event& e);
// True when a call of this kind is to fail now (see fail_next).
bool failing(Failure f);
std::uint64_t now_ms();
// Radio buttons [first, last) of the group of the control at index `at`.
std::pair<std::size_t, std::size_t> radio_group(const std::vector<Control>& v, std::size_t at);
// Moves the keyboard focus; the edit that loses it gets FocusLost.
void move_focus(Window w, int id);

}  // namespace ui::headless
