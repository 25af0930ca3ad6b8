// Headless windows: the ui layer's windows, dialogs and controls held in memory.
// Dialogs are built from the same templates as on Windows; sizes are converted
// from dialog units with the base units of an 8-point dialog font (6 x 13 pixels).
#include <algorithm>
#include <cstring>
#include <fstream>

#include "platform/clock.h"
#include "platform/headless/state.h"
#include "platform/ui_rules.h"
#include "resources/catalogue.h"
#include "resources/dialogs.h"
#include "resources/images.h"
#include "resources/menu.h"

namespace ui {
namespace headless {

namespace {
constexpr int kBorder = 8;    // left + right frame
constexpr int kCaption = 31;  // title bar + top and bottom frame
constexpr int kMenuBar = 20;

int dlu_x(int v) { return v * 6 / 4; }
int dlu_y(int v) { return v * 13 / 8; }

bool takes_tab(Kind k) {
  return k != Kind::Label && k != Kind::Box && k != Kind::Group && k != Kind::Progress &&
         k != Kind::StatusBar;
}

Window add_window(std::unique_ptr<WindowState> w) {
  State& s = state();
  w->handle = s.next_handle++;
  Window h = w->handle;
  s.windows[h] = std::move(w);
  return h;
}

void fit_report_lists(WindowState& w) {
  Size c = client_size(w.handle);
  for (Control& ctl : w.controls)
    if (ctl.kind == Kind::Report) ctl.rect = Rect{0, 0, c.width, c.height};
}
}  // namespace

State& state() {
  static State s;
  return s;
}

WindowState* find(Window w) {
  auto it = state().windows.find(w);
  return it == state().windows.end() ? nullptr : it->second.get();
}

Control* find(Window w, int id) {
  WindowState* ws = find(w);
  if (!ws) return nullptr;
  for (Control& c : ws->controls)
    if (c.id == id) return &c;
  return nullptr;
}

bool deliver(Window w, const Event& e) {
  WindowState* ws = find(w);
  if (!ws || !ws->handler) return false;
  Handler h = ws->handler;  // the handler may destroy its own window
  return h(w, e);
}

bool failing(Failure f) {
  auto it = state().failures.find(f);
  if (it == state().failures.end()) return false;
  bool fail = false;
  for (int& n : it->second)
    if (--n == 0) fail = true;
  auto& v = it->second;
  v.erase(std::remove_if(v.begin(), v.end(), [](int n) { return n <= 0; }), v.end());
  return fail;
}

std::uint64_t now_ms() { return platform::tick_ms(); }

// Radio buttons [first, last) that form the group of the one at `at`.
std::pair<std::size_t, std::size_t> radio_group(const std::vector<Control>& v, std::size_t at) {
  std::size_t first = at;
  while (first > 0 && !(v[first].kind == Kind::Radio && v[first].group_start)) --first;
  std::size_t last = at + 1;
  while (last < v.size() && !(v[last].kind == Kind::Radio && v[last].group_start)) ++last;
  return {first, last};
}

void move_focus(Window w, int id) {
  State& s = state();
  Window old_w = s.focus_window;
  int old_id = 0;
  if (WindowState* ow = find(old_w)) old_id = ow->focus;
  s.focus_window = w;
  if (WindowState* nw = find(w)) nw->focus = id;
  if (old_w == w && old_id == id) return;
  Control* old = find(old_w, old_id);
  if (old && (old->kind == Kind::Edit || old->kind == Kind::ComboEdit))
    deliver(old_w, Event{EventKind::FocusLost, old_id, 0, -1, -1});
}

namespace {
// Whether Tab stops at control `at`: radio buttons only at the checked one of
// their group, or at the first when none is checked.
bool tab_target(const std::vector<Control>& v, std::size_t at) {
  const Control& c = v[at];
  if (!c.tab_stop || !c.enabled || !c.visible) return false;
  if (c.kind != Kind::Radio) return true;
  if (c.checked) return true;
  auto group = radio_group(v, at);
  for (std::size_t i = group.first; i < group.second; ++i)
    if (v[i].kind == Kind::Radio && v[i].checked) return false;
  for (std::size_t i = group.first; i < group.second; ++i)
    if (v[i].kind == Kind::Radio) return i == at;
  return false;
}

}  // namespace
}  // namespace headless

using namespace headless;

// ---------------------------------------------------------------------------
// Windows

bool register_window_classes() { return !failing(Failure::RegisterClasses); }

Window create_main_window(const std::string& title, int width, int height,
                          const Handler& handler) {
  if (failing(Failure::CreateWindow)) return kNoWindow;
  auto w = std::make_unique<WindowState>();
  w->kind = WindowKind::Main;
  w->class_name = kMainClass;
  w->handler = handler;
  w->title = title;
  w->rect = Rect{40, 30, width, height};
  Window h = add_window(std::move(w));
  state().main = h;
  state().focus_window = h;
  return h;
}

Window create_list_window(const char* class_name, Window owner, const std::string& title,
                          const Rect& rect, const Handler& handler) {
  if (failing(Failure::CreateWindow) || (owner != kNoWindow && !find(owner))) return kNoWindow;
  auto w = std::make_unique<WindowState>();
  w->kind = WindowKind::List;
  w->class_name = class_name;
  w->owner = owner;
  w->handler = handler;
  w->title = title;
  w->rect = rect;
  Window h = add_window(std::move(w));
  state().focus_window = h;
  return h;
}

Window create_dialog(const char* resource, Window owner, const Handler& handler) {
  const res::DialogTemplate* t = res::dialog_template(resource);
  WindowState* ow = find(owner);
  if (!t || !ow || failing(Failure::CreateDialog)) return kNoWindow;
  // Only one chain of dialogs: every open dialog must own the new one.
  for (const auto& entry : state().windows) {
    if (entry.second->kind != WindowKind::Dialog) continue;
    bool ancestor = false;
    for (Window a = owner; a != kNoWindow; a = find(a) ? find(a)->owner : kNoWindow)
      if (a == entry.first) ancestor = true;
    if (!ancestor) return kNoWindow;
  }
  auto w = std::make_unique<WindowState>();
  w->kind = WindowKind::Dialog;
  w->class_name = resource;
  w->owner = owner;
  w->handler = handler;
  w->title = res::text(t->caption);
  w->rect = Rect{ow->rect.x, ow->rect.y, dlu_x(t->width) + kBorder,
                 dlu_y(t->height) + kCaption};
  for (std::size_t i = 0; i < t->count; ++i) {
    const res::ControlTemplate& ct = t->controls[i];
    Control c;
    c.kind = kind_of(ct.kind);
    c.id = ct.id;
    if (ct.text != res::kNoText) c.text = res::text(ct.text);
    c.rect = Rect{dlu_x(ct.x), dlu_y(ct.y), dlu_x(ct.width), dlu_y(ct.height)};
    c.enabled = !(ct.style & res::kDisabled);
    c.visible = !(ct.style & res::kHidden);
    c.tab_stop = takes_tab(c.kind) && !(ct.style & res::kNoTabStop);
    c.group_start = (ct.style & res::kGroupStart) != 0;
    if (ct.style & res::kReadOnly) c.edit_styles |= kReadOnly;
    if (ct.style & res::kDigitsOnly) c.edit_styles |= kDigitsOnly;
    if (ct.style & res::kUpperCase) c.edit_styles |= kUpperCase;
    if (ct.style & res::kPassword) c.edit_styles |= kPassword;
    w->controls.push_back(c);
  }
  Window h = add_window(std::move(w));
  // As the dialog manager does: the focus goes to the first field that takes it.
  for (const Control& c : find(h)->controls) {
    if (c.tab_stop && c.enabled && c.visible) {
      move_focus(h, c.id);
      break;
    }
  }
  return h;
}

Window create_overlay(Window parent, int font_height) {
  WindowState* p = find(parent);
  if (!p) return kNoWindow;
  auto w = std::make_unique<WindowState>();
  w->kind = WindowKind::Overlay;
  w->class_name = "Overlay";
  w->owner = parent;
  Size c = client_size(parent);
  w->rect = Rect{0, 0, c.width, c.height};
  w->overlay_font = font_height;
  return add_window(std::move(w));
}

void set_overlay_text(Window overlay, const std::string& text) {
  WindowState* w = find(overlay);
  if (!w || w->kind != WindowKind::Overlay) return;
  w->overlay_text = text;
  ++w->redraws;
  state().overlay_history.push_back(text);
}

void destroy_window(Window w) {
  if (!find(w)) return;
  std::vector<Window> owned;
  for (const auto& entry : state().windows)
    if (entry.second->owner == w) owned.push_back(entry.first);
  for (Window o : owned) destroy_window(o);
  deliver(w, Event{EventKind::Destroyed, 0, 0, -1, -1});
  State& s = state();
  WindowState* ws = find(w);
  if (!ws) return;  // destroyed by its own handler
  Window owner = ws->owner;
  s.windows.erase(w);
  s.posted.erase(std::remove_if(s.posted.begin(), s.posted.end(),
                                [w](const Posted& p) { return p.window == w; }),
                 s.posted.end());
  if (s.focus_window == w) s.focus_window = find(owner) ? owner : kNoWindow;
  if (s.main == w) {
    s.main = kNoWindow;
    s.menu_attached = false;
    s.menu.clear();
  }
}

bool window_exists(Window w) { return find(w) != nullptr; }

void enable_window(Window w, bool on) {
  WindowState* ws = find(w);
  if (!ws) return;
  ws->enabled = on;
  if (!on && state().focus_window == w) state().focus_window = kNoWindow;
}

bool window_enabled(Window w) {
  WindowState* ws = find(w);
  return ws && ws->enabled;
}

void show_window(Window w, bool on) {
  if (WindowState* ws = find(w)) ws->visible = on;
}

void show_system_menu(Window w, bool on) {
  if (WindowState* ws = find(w)) ws->system_menu = on;
}

bool system_menu_shown(Window w) {
  WindowState* ws = find(w);
  return ws && ws->system_menu;
}

bool window_visible(Window w) {
  WindowState* ws = find(w);
  return ws && ws->visible;
}

void focus_window(Window w) {
  WindowState* ws = find(w);
  if (!ws) return;
  int id = ws->focus;
  if (id == 0)
    for (const Control& c : ws->controls)
      if (c.kind == Kind::Report) id = c.id;
  move_focus(w, id);
}

void set_title(Window w, const std::string& title) {
  if (WindowState* ws = find(w)) ws->title = title;
}

std::string title(Window w) {
  WindowState* ws = find(w);
  return ws ? ws->title : std::string();
}

Rect window_rect(Window w) {
  WindowState* ws = find(w);
  if (!ws) return Rect{};
  if (ws->kind == WindowKind::Overlay) return window_rect(ws->owner);
  return ws->rect;
}

void move_window(Window w, const Rect& rect) {
  WindowState* ws = find(w);
  if (!ws) return;
  ws->rect = rect;
  fit_report_lists(*ws);
  deliver(w, Event{EventKind::Sized, 0, 0, -1, -1});
}

Size client_size(Window w) {
  WindowState* ws = find(w);
  if (!ws) return Size{};
  if (ws->kind == WindowKind::Overlay) return client_size(ws->owner);
  int menu = ws->kind == WindowKind::Main && state().menu_attached ? kMenuBar : 0;
  return Size{std::max(0, ws->rect.width - kBorder),
              std::max(0, ws->rect.height - kCaption - menu)};
}

Size screen_size() { return state().screen; }

void redraw(Window w) {
  if (WindowState* ws = find(w)) ++ws->redraws;
}

// ---------------------------------------------------------------------------
// Commands

void send_command(Window w, int id, std::intptr_t param) {
  deliver(w, Event{EventKind::Command, id, param, -1, -1});
}

void post_command(Window w, int id, std::intptr_t param) {
  state().posted.push_back(Posted{w, id, param});
}

int run_message_loop(Window) {
  pump();
  return state().quit ? state().quit_code : -1;
}

void post_quit(int code) {
  state().quit = true;
  state().quit_code = code;
}

// ---------------------------------------------------------------------------
// Controls

bool control_exists(Window w, int id) { return find(w, id) != nullptr; }

void set_text(Window w, int id, const std::string& text) {
  Control* c = find(w, id);
  if (!c) return;
  if (c->kind == Kind::ComboList) {
    // A drop-down list shows only its entries: the text selects the equal one.
    auto it = std::find(c->items.begin(), c->items.end(), text);
    if (it != c->items.end()) c->selected = static_cast<int>(it - c->items.begin());
    return;
  }
  c->text = text;
  if (c->kind == Kind::Edit) deliver(w, Event{EventKind::EditChanged, id, 0, -1, -1});
}

std::string get_text(Window w, int id) {
  Control* c = find(w, id);
  if (!c) return std::string();
  if (c->kind == Kind::ComboList)
    return c->selected >= 0 ? c->items[static_cast<std::size_t>(c->selected)] : std::string();
  return c->text;
}

void limit_text(Window w, int id, int max_chars) {
  if (Control* c = find(w, id)) c->limit = max_chars;
}

void enable_control(Window w, int id, bool on) {
  Control* c = find(w, id);
  if (!c) return;
  c->enabled = on;
  WindowState* ws = find(w);
  if (!on && state().focus_window == w && ws->focus == id) ws->focus = 0;
}

bool control_enabled(Window w, int id) {
  Control* c = find(w, id);
  return c && c->enabled;
}

void show_control(Window w, int id, bool on) {
  Control* c = find(w, id);
  if (!c) return;
  c->visible = on;
  WindowState* ws = find(w);
  if (!on && state().focus_window == w && ws->focus == id) ws->focus = 0;
}

bool control_visible(Window w, int id) {
  Control* c = find(w, id);
  return c && c->visible;
}

void focus_control(Window w, int id) {
  if (find(w, id)) move_focus(w, id);
}

bool focus_next(Window w) {
  WindowState* ws = find(w);
  if (!ws || ws->controls.empty()) return false;
  const auto& v = ws->controls;
  std::size_t n = v.size(), from = n - 1;
  for (std::size_t i = 0; i < n; ++i)
    if (v[i].id == ws->focus) from = i;
  for (std::size_t k = 1; k <= n; ++k) {
    std::size_t i = (from + k) % n;
    if (tab_target(v, i)) {
      move_focus(w, v[i].id);
      return true;
    }
  }
  return false;
}

int focused_control(Window w) {
  WindowState* ws = find(w);
  return ws && state().focus_window == w ? ws->focus : 0;
}

Rect control_rect(Window w, int id) {
  Control* c = find(w, id);
  return c ? c->rect : Rect{};
}

void move_control(Window w, int id, const Rect& rect) {
  if (Control* c = find(w, id)) c->rect = rect;
}

void redraw_control(Window w, int id) {
  if (find(w, id)) ++find(w)->redraws;
}

void destroy_control(Window w, int id) {
  WindowState* ws = find(w);
  if (!ws) return;
  auto& v = ws->controls;
  v.erase(std::remove_if(v.begin(), v.end(), [id](const Control& c) { return c.id == id; }),
          v.end());
  if (ws->focus == id) ws->focus = 0;
}

void set_edit_style(Window w, int id, unsigned styles, bool on) {
  Control* c = find(w, id);
  if (!c) return;
  if (on)
    c->edit_styles |= styles;
  else
    c->edit_styles &= ~styles;
}

unsigned edit_style(Window w, int id) {
  Control* c = find(w, id);
  return c ? c->edit_styles : 0;
}

void set_check(Window w, int id, bool on) {
  if (Control* c = find(w, id)) c->checked = on;
}

bool checked(Window w, int id) {
  Control* c = find(w, id);
  return c && c->checked;
}

void check_radio(Window w, int first, int last, int id) {
  WindowState* ws = find(w);
  if (!ws) return;
  for (Control& c : ws->controls)
    if ((c.kind == Kind::Radio || c.kind == Kind::CheckBox) && c.id >= first && c.id <= last)
      c.checked = c.id == id;
}

void items_clear(Window w, int id) {
  Control* c = find(w, id);
  if (!c) return;
  c->items.clear();
  c->selected = -1;
}

int items_add(Window w, int id, const std::string& text) {
  Control* c = find(w, id);
  if (!c || (c->kind != Kind::ComboList && c->kind != Kind::ComboEdit && c->kind != Kind::ListBox))
    return -1;
  c->items.push_back(text);
  return static_cast<int>(c->items.size()) - 1;
}

bool items_select(Window w, int id, int index) {
  Control* c = find(w, id);
  if (!c || index < -1 || index >= static_cast<int>(c->items.size())) return false;
  c->selected = index;
  if (c->kind == Kind::ComboEdit)
    c->text = index >= 0 ? c->items[static_cast<std::size_t>(index)] : std::string();
  return true;
}

int items_selected(Window w, int id) {
  Control* c = find(w, id);
  return c ? c->selected : -1;
}

int items_count(Window w, int id) {
  Control* c = find(w, id);
  return c ? static_cast<int>(c->items.size()) : 0;
}

std::string items_text(Window w, int id, int index) {
  Control* c = find(w, id);
  if (!c || index < 0 || index >= static_cast<int>(c->items.size())) return std::string();
  return c->items[static_cast<std::size_t>(index)];
}

// ---------------------------------------------------------------------------
// Report lists

namespace {
Control* report(Window w, int id) {
  Control* c = find(w, id);
  return c && c->kind == Kind::Report ? c : nullptr;
}
}  // namespace

bool create_report_list(Window w, int id, unsigned list_styles) {
  WindowState* ws = find(w);
  if (!ws || find(w, id) || failing(Failure::CreateReportList)) return false;
  Control c;
  c.kind = Kind::Report;
  c.id = id;
  c.tab_stop = true;
  c.list_styles = list_styles;
  ws->controls.push_back(c);
  fit_report_lists(*ws);
  return true;
}

bool list_add_column(Window w, int id, int column, const std::string& text, int width) {
  Control* c = report(w, id);
  if (!c || failing(Failure::AddColumn)) return false;
  std::size_t at = std::min(static_cast<std::size_t>(std::max(column, 0)), c->columns.size());
  c->columns.insert(c->columns.begin() + static_cast<long>(at), text);
  c->widths.insert(c->widths.begin() + static_cast<long>(at), width);
  for (Row& r : c->rows) r.texts.insert(r.texts.begin() + static_cast<long>(at), std::string());
  return true;
}

void list_set_column_text(Window w, int id, int column, const std::string& text) {
  Control* c = report(w, id);
  if (c && column >= 0 && column < static_cast<int>(c->columns.size()))
    c->columns[static_cast<std::size_t>(column)] = text;
}

int list_column_count(Window w, int id) {
  Control* c = report(w, id);
  return c ? static_cast<int>(c->columns.size()) : 0;
}

int list_insert_row(Window w, int id, int row, const std::vector<std::string>& texts) {
  Control* c = report(w, id);
  if (!c || failing(Failure::InsertRow)) return -1;
  Row r;
  r.texts = texts;
  r.texts.resize(std::max<std::size_t>(c->columns.size(), 1));
  int at = row < 0 || row > static_cast<int>(c->rows.size()) ? static_cast<int>(c->rows.size())
                                                             : row;
  c->rows.insert(c->rows.begin() + at, r);
  return at;
}

bool list_set_text(Window w, int id, int row, int column, const std::string& text) {
  Control* c = report(w, id);
  if (!c || row < 0 || row >= static_cast<int>(c->rows.size()) || column < 0) return false;
  auto& t = c->rows[static_cast<std::size_t>(row)].texts;
  if (column >= static_cast<int>(t.size())) return false;
  t[static_cast<std::size_t>(column)] = text;
  return true;
}

std::string list_text(Window w, int id, int row, int column) {
  Control* c = report(w, id);
  if (!c || row < 0 || row >= static_cast<int>(c->rows.size()) || column < 0) return {};
  const auto& t = c->rows[static_cast<std::size_t>(row)].texts;
  return column < static_cast<int>(t.size()) ? t[static_cast<std::size_t>(column)] : std::string();
}

int list_count(Window w, int id) {
  Control* c = report(w, id);
  return c ? static_cast<int>(c->rows.size()) : 0;
}

bool list_delete_row(Window w, int id, int row) {
  Control* c = report(w, id);
  if (!c || row < 0 || row >= static_cast<int>(c->rows.size()) || failing(Failure::DeleteRow))
    return false;
  c->rows.erase(c->rows.begin() + row);
  return true;
}

void list_clear(Window w, int id) {
  if (Control* c = report(w, id)) c->rows.clear();
}

std::vector<int> list_selected(Window w, int id) {
  std::vector<int> out;
  Control* c = report(w, id);
  if (!c) return out;
  for (std::size_t i = 0; i < c->rows.size(); ++i)
    if (c->rows[i].selected) out.push_back(static_cast<int>(i));
  return out;
}

int list_first_selected(Window w, int id) {
  std::vector<int> s = list_selected(w, id);
  return s.empty() ? -1 : s.front();
}

void list_select(Window w, int id, int row, bool on) {
  Control* c = report(w, id);
  if (!c || row < 0 || row >= static_cast<int>(c->rows.size())) return;
  if (on && !(c->list_styles & kMultiSelect))
    for (Row& r : c->rows) r.selected = false;
  c->rows[static_cast<std::size_t>(row)].selected = on;
}

void list_focus_row(Window w, int id, int row) {
  list_select(w, id, row, true);
  if (report(w, id)) move_focus(w, id);
}

void list_sort(Window w, int id, const RowCompare& compare) {
  Control* c = report(w, id);
  if (!c) return;
  std::stable_sort(c->rows.begin(), c->rows.end(), [&compare](const Row& a, const Row& b) {
    return compare(a.texts, b.texts) < 0;
  });
}

// ---------------------------------------------------------------------------
// Progress bar, status bar, colours, fonts

bool create_progress(Window w, int id, const Rect& rect) {
  WindowState* ws = find(w);
  if (!ws || find(w, id) || failing(Failure::CreateProgress)) return false;
  Control c;
  c.kind = Kind::Progress;
  c.id = id;
  c.rect = rect;
  ws->controls.push_back(c);
  return true;
}

void progress_range(Window w, int id, int low, int high) {
  Control* c = find(w, id);
  if (!c || c->kind != Kind::Progress) return;
  c->low = low;
  c->high = high;
  c->position = std::min(std::max(c->position, low), high);
}

void progress_step_size(Window w, int id, int step) {
  Control* c = find(w, id);
  if (c && c->kind == Kind::Progress) c->step = step;
}

void progress_step(Window w, int id) {
  Control* c = find(w, id);
  if (!c || c->kind != Kind::Progress) return;
  c->position += c->step;
  // Like the common control: stepping past the end starts over.
  if (c->position > c->high) c->position = c->low;
}

void progress_set(Window w, int id, int position) {
  Control* c = find(w, id);
  if (c && c->kind == Kind::Progress) c->position = std::min(std::max(position, c->low), c->high);
}

int progress_position(Window w, int id) {
  Control* c = find(w, id);
  return c && c->kind == Kind::Progress ? c->position : 0;
}

bool create_status_bar(Window w, int id) {
  WindowState* ws = find(w);
  if (!ws || find(w, id) || failing(Failure::CreateStatusBar)) return false;
  Control c;
  c.kind = Kind::StatusBar;
  c.id = id;
  Size s = client_size(w);
  c.rect = Rect{0, s.height - 20, s.width, 20};
  ws->controls.push_back(c);
  return true;
}

void status_parts(Window w, int id, const std::vector<int>& right_edges) {
  Control* c = find(w, id);
  if (!c || c->kind != Kind::StatusBar) return;
  c->part_edges = right_edges;
  c->part_texts.resize(right_edges.size());
  Size s = client_size(w);
  c->rect = Rect{0, s.height - 20, s.width, 20};
}

void set_status_text(Window w, int id, int part, const std::string& text) {
  Control* c = find(w, id);
  if (!c || c->kind != Kind::StatusBar || part < 0) return;
  if (static_cast<std::size_t>(part) >= c->part_texts.size())
    c->part_texts.resize(static_cast<std::size_t>(part) + 1);
  c->part_texts[static_cast<std::size_t>(part)] = text;
}

std::string status_text(Window w, int id, int part) {
  Control* c = find(w, id);
  if (!c || c->kind != Kind::StatusBar || part < 0 ||
      static_cast<std::size_t>(part) >= c->part_texts.size())
    return std::string();
  return c->part_texts[static_cast<std::size_t>(part)];
}

void set_colour(Window w, int id, Colour background) {
  if (Control* c = find(w, id)) c->background = background;
}

Colour colour(Window w, int id) {
  Control* c = find(w, id);
  return c ? c->background : kFaceColour;
}

void set_text_colour(Window w, int id, Colour text) {
  if (Control* c = find(w, id)) c->foreground = text;
}

Colour text_colour(Window w, int id) {
  Control* c = find(w, id);
  return c ? c->foreground : rgb(0, 0, 0);
}

bool set_font_height(Window w, int id, int height) {
  Control* c = find(w, id);
  if (!c || failing(Failure::NoDialogFont)) return false;
  c->font_height = height;
  return true;
}

// ---------------------------------------------------------------------------
// Painting

Image load_image_resource(const char* name) {
  const res::Picture* p = res::picture(name);
  if (!p) return 0;
  Image h = state().next_image++;
  state().images[h] = Size{p->width, p->height};
  return h;
}

Image load_image_file(const std::string& path) {
  // A Windows bitmap: "BM", then the info header with width and height at 18.
  std::ifstream in(path, std::ios::binary);
  unsigned char head[26] = {};
  if (!in.read(reinterpret_cast<char*>(head), sizeof head) || head[0] != 'B' || head[1] != 'M')
    return 0;
  auto le32 = [&head](int at) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(head[at]) |
                                     static_cast<std::uint32_t>(head[at + 1]) << 8 |
                                     static_cast<std::uint32_t>(head[at + 2]) << 16 |
                                     static_cast<std::uint32_t>(head[at + 3]) << 24);
  };
  int width = le32(18), height = le32(22);
  if (width <= 0 || height == 0) return 0;
  Image h = state().next_image++;
  state().images[h] = Size{width, height < 0 ? -height : height};
  return h;
}

Size image_size(Image image) {
  auto it = state().images.find(image);
  return it == state().images.end() ? Size{} : it->second;
}

void free_image(Image image) { state().images.erase(image); }

void paint_image(Window w, Image image, int x, int y, int width, int height, Blend blend) {
  WindowState* ws = find(w);
  if (!ws || !ws->painting) return;
  PaintOp op{PaintOp::DrawImage, image, blend, std::string(), Rect{x, y, width, height},
             Font{}, Colour{}};
  ws->paint_ops.push_back(op);
}

void paint_text(Window w, const std::string& text, const Rect& box, const Font& font,
                Colour colour) {
  WindowState* ws = find(w);
  if (!ws || !ws->painting) return;
  ws->paint_ops.push_back(PaintOp{PaintOp::DrawText, 0, Blend::Copy, text, box, font, colour});
}

// ---------------------------------------------------------------------------
// Timers

bool set_timer(Window w, unsigned id, unsigned ms) {
  WindowState* ws = find(w);
  if (!ws || failing(Failure::SetTimer)) return false;
  unsigned interval = std::max(ms, 10u);  // the system's shortest timer
  ws->timers[id] = Timer{interval, now_ms() + interval, ++state().timers_armed};
  return true;
}

bool kill_timer(Window w, unsigned id) {
  WindowState* ws = find(w);
  if (!ws || failing(Failure::KillTimer)) return false;
  return ws->timers.erase(id) == 1;
}

// ---------------------------------------------------------------------------
// Menu and accelerators

bool attach_menu(Window main_window) {
  State& s = state();
  if (!find(main_window) || failing(Failure::AttachMenu)) return false;
  std::size_t n = 0;
  const res::MenuEntry* menu = res::start_menu(&n);
  s.menu.clear();
  for (std::size_t i = 0; i < n; ++i)
    if (menu[i].kind == res::MenuKind::Item) s.menu[menu[i].command] = true;
  s.menu_attached = true;
  return true;
}

bool menu_enable(Window main_window, int command, bool on) {
  State& s = state();
  auto it = s.menu.find(command);
  if (main_window != s.main || !s.menu_attached || it == s.menu.end()) return false;
  it->second = on;
  return true;
}

bool menu_enabled(Window main_window, int command) {
  State& s = state();
  auto it = s.menu.find(command);
  return main_window == s.main && s.menu_attached && it != s.menu.end() && it->second;
}

void menu_redraw(Window main_window) {
  if (main_window == state().main) ++state().menu_redraws;
}

bool load_accelerators() {
  state().accelerators = !failing(Failure::LoadAccelerators);
  return state().accelerators;
}

}  // namespace ui
