// Test side of the headless backend: operator actions, time, file dialogs and
// inspection. Each action checks what a real window would check before it acts.
#include <algorithm>
#include <deque>

#include "platform/clock.h"
#include "platform/headless/driver.h"
#include "platform/headless/state.h"
#include "platform/ui_rules.h"
#include "resources/menu.h"

namespace ui::headless {
namespace {

struct ScriptedFile {
  bool chosen;
  std::string path;
};
std::deque<ScriptedFile> g_file_script;
std::vector<FileDialogShown> g_file_dialogs;

// A window takes input when it exists, is enabled and shown; a control when its
// window does and it is enabled and shown itself.
bool usable(Window w) {
  WindowState* ws = find(w);
  return ws && ws->enabled && ws->visible;
}

Control* usable(Window w, int id) {
  Control* c = find(w, id);
  return usable(w) && c && c->enabled && c->visible ? c : nullptr;
}

// Moves the focus to the control as a click does. False when the control that
// lost the focus took it back (a field that insists on a valid entry): the
// operator's click or typing then does not reach the new control.
bool take_focus(Window w, int id) {
  move_focus(w, id);
  return focus() == std::make_pair(w, id);
}

bool is_edit(const Control& c) { return c.kind == Kind::Edit || c.kind == Kind::ComboEdit; }

bool is_list(const Control& c) {
  return c.kind == Kind::ComboList || c.kind == Kind::ComboEdit || c.kind == Kind::ListBox;
}

bool next_field(Window w) {
  if (!focus_next(w)) return false;
  pump();
  return true;
}

bool typing(Window w, int id, const std::string& text, bool replace) {
  Control* c = usable(w, id);
  if (!c || !is_edit(*c) || (c->edit_styles & kReadOnly)) return false;
  if (!take_focus(w, id)) {
    pump();
    return false;
  }
  bool all = true, first = replace;
  c = usable(w, id);
  if (c && replace && text.empty() && !c->text.empty()) {
    c->text.clear();
    if (c->kind == Kind::ComboEdit) c->selected = -1;
    deliver(w, Event{EventKind::EditChanged, id, 0, -1, -1});
  }
  for (char raw : text) {
    c = usable(w, id);
    if (!c || (c->edit_styles & kReadOnly)) return false;
    unsigned char ch = static_cast<unsigned char>(raw);
    if ((c->edit_styles & kDigitsOnly) && (ch < '0' || ch > '9')) {
      all = false;
      continue;
    }
    if (c->edit_styles & kUpperCase) {
      if ((ch >= 'a' && ch <= 'z') || (ch >= 0xE0 && ch <= 0xFE && ch != 0xF7))
        ch = static_cast<unsigned char>(ch - 0x20);
      else if (ch == 0x9A || ch == 0x9C || ch == 0x9E)
        ch = static_cast<unsigned char>(ch - 0x10);
      else if (ch == 0xFF)
        ch = 0x9F;
    }
    std::string base = first ? std::string() : c->text;
    if (c->limit > 0 && static_cast<int>(base.size()) >= c->limit) {
      all = false;
      continue;
    }
    first = false;
    c->text = base + static_cast<char>(ch);
    if (c->kind == Kind::ComboEdit) c->selected = -1;
    deliver(w, Event{EventKind::EditChanged, id, 0, -1, -1});
  }
  pump();
  return all;
}

Control* usable_report(Window w, int id) {
  Control* c = usable(w, id);
  return c && c->kind == Kind::Report ? c : nullptr;
}

bool row_in(const Control& c, int row) {
  return row >= 0 && row < static_cast<int>(c.rows.size());
}

void select_only(Control& c, int row) {
  for (std::size_t i = 0; i < c.rows.size(); ++i) c.rows[i].selected = static_cast<int>(i) == row;
}

bool list_event(Window w, int id, EventKind kind, int row) {
  deliver(w, Event{kind, id, 0, row, -1});
  pump();
  return true;
}

}  // namespace

void reset() {
  state() = State{};
  clear_boxes();
  watch_boxes(nullptr);
  g_file_script.clear();
  g_file_dialogs.clear();
  if (!platform::vclock::enabled()) {
    platform::LocalTime start;
    start.year = 2026;
    start.month = 12;
    start.day = 7;
    start.hour = 9;
    start.weekday = 1;
    platform::vclock::enable(start);
  }
}

// ---- finding windows

Window main_window() { return state().main; }

Window find_dialog(const char* resource) {
  for (const auto& e : state().windows)
    if (e.second->kind == WindowKind::Dialog && e.second->class_name == resource) return e.first;
  return kNoWindow;
}

std::vector<Window> open_dialogs() {
  std::vector<Window> out;
  for (const auto& e : state().windows)
    if (e.second->kind == WindowKind::Dialog) out.push_back(e.first);
  return out;
}

Window top_dialog() {
  std::vector<Window> d = open_dialogs();
  return d.empty() ? kNoWindow : d.back();  // handles grow: the newest is last
}

Window find_list(const char* class_name) {
  for (const auto& e : state().windows)
    if (e.second->kind == WindowKind::List && e.second->class_name == class_name) return e.first;
  return kNoWindow;
}

Window find_overlay(Window parent) {
  for (const auto& e : state().windows)
    if (e.second->kind == WindowKind::Overlay && e.second->owner == parent) return e.first;
  return kNoWindow;
}

std::string class_of(Window w) {
  WindowState* ws = find(w);
  return ws ? ws->class_name : std::string();
}

Window owner_of(Window w) {
  WindowState* ws = find(w);
  return ws ? ws->owner : kNoWindow;
}

// ---- operator actions

bool type(Window w, int id, const std::string& text) { return typing(w, id, text, true); }
bool type_more(Window w, int id, const std::string& text) { return typing(w, id, text, false); }

bool click_into(Window w, int id) {
  Control* c = usable(w, id);
  if (!c || !c->tab_stop) return false;
  move_focus(w, id);
  pump();
  return true;
}

bool press(Window w, int id) {
  Control* c = usable(w, id);
  if (!c || (c->kind != Kind::Button && c->kind != Kind::ColourButton &&
             c->kind != Kind::CheckBox && c->kind != Kind::Radio))
    return false;
  if (!take_focus(w, id)) {
    pump();
    return false;
  }
  WindowState* ws = find(w);
  c = find(w, id);
  if (!ws || !c) return false;
  if (c->kind == Kind::CheckBox) c->checked = !c->checked;
  if (c->kind == Kind::Radio) {
    std::size_t at = static_cast<std::size_t>(c - ws->controls.data());
    auto group = radio_group(ws->controls, at);
    for (std::size_t i = group.first; i < group.second; ++i)
      if (ws->controls[i].kind == Kind::Radio) ws->controls[i].checked = i == at;
  }
  deliver(w, Event{EventKind::Command, id, 0, -1, -1});
  pump();
  return true;
}

bool press_key(int key) {
  State& s = state();
  Window d = top_dialog();
  if ((key == kKeyEnter || key == kKeyTab) && d != kNoWindow && s.focus_window == d) {
    if (!usable(d)) return false;
    if (key == kKeyTab) return next_field(d);
    int focused = find(d)->focus;
    switch (enter_action(focused)) {
      case EnterAction::PostAction:
        post_command(d, kIdAction, 0);
        pump();
        return true;
      case EnterAction::PressFocused:
        return press(d, focused);
      case EnterAction::NextField:
        return next_field(d);
    }
  }
  if (key == kKeyEscape && d != kNoWindow && s.focus_window == d) {
    if (!usable(d)) return false;
    deliver(d, Event{EventKind::Command, kIdCancel, 0, -1, -1});
    pump();
    return true;
  }
  if (key == kKeyEnter) {
    Window w = s.focus_window;
    Control* c = find(w) ? usable(w, find(w)->focus) : nullptr;
    if (c && c->kind == Kind::Report) return list_event(w, c->id, EventKind::ListEnter, -1);
    return false;
  }
  if (key >= kKeyF1 && key <= kKeyF11) {
    if (!s.accelerators || !find(s.main) || !find(s.main)->visible) return false;
    std::size_t n = 0;
    const Accelerator* table = res::accel_table(&n);
    int command = accelerator_command(table, n, key, window_enabled(s.main),
                                      [&s](int cmd) { return menu_enabled(s.main, cmd); });
    if (command == 0) return false;
    deliver(s.main, Event{EventKind::Command, command, 0, -1, -1});
    pump();
    return true;
  }
  return false;
}

bool press_enter() { return press_key(kKeyEnter); }

bool choose_item(Window w, int id, int index) {
  Control* c = usable(w, id);
  if (!c || !is_list(*c) || index < 0 || index >= static_cast<int>(c->items.size()))
    return false;
  if (!take_focus(w, id)) {
    pump();
    return false;
  }
  c = find(w, id);
  if (!c) return false;
  c->selected = index;
  if (c->kind == Kind::ComboEdit) c->text = c->items[static_cast<std::size_t>(index)];
  deliver(w, Event{EventKind::SelectionChanged, id, 0, -1, -1});
  pump();
  return true;
}

bool choose_item(Window w, int id, const std::string& text) {
  Control* c = find(w, id);
  if (!c) return false;
  auto it = std::find(c->items.begin(), c->items.end(), text);
  if (it == c->items.end()) return false;
  return choose_item(w, id, static_cast<int>(it - c->items.begin()));
}

bool click_header(Window w, int id, int column) {
  Control* c = usable_report(w, id);
  if (!c || column < 0 || column >= static_cast<int>(c->columns.size())) return false;
  deliver(w, Event{EventKind::HeaderClick, id, 0, -1, column});
  pump();
  return true;
}

bool click_row(Window w, int id, int row) {
  Control* c = usable_report(w, id);
  if (!c || !row_in(*c, row)) return false;
  select_only(*c, row);
  move_focus(w, id);
  pump();
  return true;
}

bool select_rows(Window w, int id, const std::vector<int>& rows) {
  Control* c = usable_report(w, id);
  if (!c || (rows.size() > 1 && !(c->list_styles & kMultiSelect))) return false;
  for (int r : rows)
    if (!row_in(*c, r)) return false;
  select_only(*c, -1);
  for (int r : rows) c->rows[static_cast<std::size_t>(r)].selected = true;
  move_focus(w, id);
  pump();
  return true;
}

bool double_click_row(Window w, int id, int row) {
  Control* c = usable_report(w, id);
  if (!c || (row != -1 && !row_in(*c, row))) return false;
  select_only(*c, row);
  move_focus(w, id);
  return list_event(w, id, EventKind::DoubleClick, row);
}

bool right_click_row(Window w, int id, int row) {
  Control* c = usable_report(w, id);
  if (!c || (row != -1 && !row_in(*c, row))) return false;
  if (row >= 0 && !c->rows[static_cast<std::size_t>(row)].selected) select_only(*c, row);
  move_focus(w, id);
  return list_event(w, id, EventKind::RightClick, row);
}

bool list_enter(Window w, int id) {
  if (!usable_report(w, id)) return false;
  move_focus(w, id);
  return press_key(kKeyEnter);
}

bool choose_menu(int command) {
  State& s = state();
  if (!usable(s.main) || !menu_enabled(s.main, command)) return false;
  deliver(s.main, Event{EventKind::Command, command, 0, -1, -1});
  pump();
  return true;
}

bool close_window(Window w) {
  if (!usable(w) || !system_menu_shown(w)) return false;
  WindowState* ws = find(w);
  bool dialog = ws->kind == WindowKind::Dialog;
  if (!deliver(w, Event{EventKind::Close, 0, 0, -1, -1}) && find(w)) {
    if (!dialog) {
      destroy_window(w);
    } else {
      Control* exit = find(w, kIdExitMenu);
      if (close_presses_exit(exit != nullptr, exit && exit->enabled, exit && exit->visible))
        return press(w, kIdExitMenu);
    }
  }
  pump();
  return true;
}

// ---- time and the queue

void pump() {
  State& s = state();
  for (long guard = 0; guard < 1000000; ++guard) {
    if (!s.posted.empty()) {
      Posted p = s.posted.front();
      s.posted.pop_front();
      deliver(p.window, Event{EventKind::Command, p.id, p.param, -1, -1});
      continue;
    }
    // Timers that are due, earliest first; each fires once and is due again one
    // interval from now.
    std::uint64_t now = now_ms();
    Window due_window = kNoWindow;
    unsigned due_id = 0;
    const Timer* first = nullptr;
    for (const auto& e : s.windows) {
      for (const auto& t : e.second->timers) {
        const Timer& c = t.second;
        if (c.due > now) continue;
        if (first && (c.due > first->due || (c.due == first->due && c.armed > first->armed)))
          continue;
        first = &c;
        due_window = e.first;
        due_id = t.first;
      }
    }
    if (!first) return;
    Timer& t = find(due_window)->timers[due_id];
    t.due = now + t.interval;
    t.armed = ++s.timers_armed;
    deliver(due_window, Event{EventKind::Timer, static_cast<int>(due_id), 0, -1, -1});
  }
}

void advance(std::uint64_t ms) {
  std::uint64_t target = now_ms() + ms;
  pump();
  while (now_ms() < target) {
    std::uint64_t next = target;
    for (const auto& e : state().windows)
      for (const auto& t : e.second->timers) next = std::min(next, t.second.due);
    if (next > now_ms()) platform::vclock::advance(next - now_ms());
    pump();
  }
}

bool timer_running(Window w, unsigned id) {
  WindowState* ws = find(w);
  return ws && ws->timers.count(id) == 1;
}

// ---- file dialogs

void script_file(const std::string& path) { g_file_script.push_back(ScriptedFile{true, path}); }
void script_file_cancel() { g_file_script.push_back(ScriptedFile{false, std::string()}); }
const std::vector<FileDialogShown>& file_dialogs() { return g_file_dialogs; }
std::size_t unanswered_files() { return g_file_script.size(); }

// ---- looking at the windows

std::vector<std::vector<std::string>> rows(Window w, int id) {
  std::vector<std::vector<std::string>> out;
  Control* c = find(w, id);
  if (c)
    for (const Row& r : c->rows) out.push_back(r.texts);
  return out;
}

std::vector<std::string> items(Window w, int id) {
  Control* c = find(w, id);
  return c ? c->items : std::vector<std::string>();
}

std::vector<std::string> column_titles(Window w, int id) {
  Control* c = find(w, id);
  return c ? c->columns : std::vector<std::string>();
}

std::vector<int> column_widths(Window w, int id) {
  Control* c = find(w, id);
  return c ? c->widths : std::vector<int>();
}

int text_limit(Window w, int id) {
  Control* c = find(w, id);
  return c ? c->limit : 0;
}

std::string shown_text(Window w, int id) {
  Control* c = find(w, id);
  if (!c) return std::string();
  if (c->edit_styles & kPassword) return std::string(c->text.size(), '*');
  return get_text(w, id);
}

ProgressState progress(Window w, int id) {
  Control* c = find(w, id);
  if (!c || c->kind != Kind::Progress) return ProgressState{0, 0, 0, 0};
  return ProgressState{c->low, c->high, c->step, c->position};
}

std::vector<int> status_part_edges(Window w, int id) {
  Control* c = find(w, id);
  return c ? c->part_edges : std::vector<int>();
}

bool menu_attached() { return state().menu_attached; }
int menu_redraws() { return state().menu_redraws; }

int redraws(Window w) {
  WindowState* ws = find(w);
  return ws ? ws->redraws : 0;
}

std::pair<Window, int> focus() {
  Window w = state().focus_window;
  WindowState* ws = find(w);
  return {w, ws ? ws->focus : 0};
}

const std::vector<std::string>& overlay_texts() { return state().overlay_history; }

int quit_code() { return state().quit ? state().quit_code : -1; }

std::vector<PaintOp> paint(Window w) {
  WindowState* ws = find(w);
  if (!ws) return {};
  ws->paint_ops.clear();
  ws->painting = true;
  deliver(w, Event{EventKind::Paint, 0, 0, -1, -1});
  ws = find(w);
  if (!ws) return {};
  ws->painting = false;
  return ws->paint_ops;
}

void fail_next(Failure f, int nth) { state().failures[f].push_back(nth); }

void set_screen_size(Size size) { state().screen = size; }

}  // namespace ui::headless

namespace ui {

bool file_dialog(Window owner, const FileDialog& dialog, std::string* path) {
  using namespace headless;
  FileDialogShown shown{owner, dialog, false, std::string(), g_file_script.empty()};
  if (!g_file_script.empty()) {
    shown.chosen = g_file_script.front().chosen;
    shown.path = g_file_script.front().path;
    g_file_script.pop_front();
  }
  g_file_dialogs.push_back(shown);
  if (shown.chosen && path) *path = shown.path;
  return shown.chosen;
}

}  // namespace ui
