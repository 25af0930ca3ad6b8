// Test driver of the Win32 backend: the operator actions of the driver interface
// carried out on the real windows and controls with the messages an operator's
// keyboard and mouse produce (characters into the edit, a click on the button,
// key strokes through the message loop's own keyboard rule and accelerators), so
// that the system itself refuses what a real window refuses. Message boxes, file
// dialogs and timers are scripted (scripted.cpp).
#include <windows.h>
#include <commctrl.h>

#include "platform/clock.h"
#include "platform/headless/driver.h"
#include "platform/ui_rules.h"
#include "platform/win32/ui/scripted.h"
#include "platform/win32/ui/state.h"
#include "resources/cp1252.h"
#include "resources/menu.h"

namespace ui::headless {

using namespace win32;

namespace {

bool usable(HWND h) { return h && data(h) && IsWindowEnabled(h) && IsWindowVisible(h); }

// The control when it and its window take input; null otherwise.
HWND usable(Window w, int id) {
  HWND c = control(w, id);
  if (!c || !usable(hwnd(w)) || !IsWindowEnabled(c)) return nullptr;
  return (GetWindowLongPtrW(c, GWL_STYLE) & WS_VISIBLE) ? c : nullptr;
}

bool is(Window w, int id, std::initializer_list<Kind> kinds) {
  ControlInfo* ci = info(hwnd(w), id);
  if (!ci) return false;
  for (Kind k : kinds)
    if (ci->kind == k) return true;
  return false;
}

// Moves the focus to the control as a click does; false when the control that
// lost it took it back.
bool take_focus(Window w, int id) {
  focus_control(w, id);
  pump();
  return focus() == std::make_pair(w, id);
}

void post_key(HWND target, int key) {
  PostMessageW(target, WM_KEYDOWN, static_cast<WPARAM>(key), 1);
  pump();
}

bool typing(Window w, int id, const std::string& text, bool replace) {
  HWND c = usable(w, id);
  if (!c || !is(w, id, {Kind::Edit, Kind::ComboEdit})) return false;
  if (GetWindowLongPtrW(c, GWL_STYLE) & ES_READONLY && is(w, id, {Kind::Edit})) return false;
  if (!take_focus(w, id)) return false;
  HWND e = is(w, id, {Kind::ComboEdit}) ? FindWindowExW(c, nullptr, L"Edit", nullptr) : c;
  if (!e) return false;
  int length = GetWindowTextLengthW(e);
  SendMessageW(e, EM_SETSEL, replace ? 0 : static_cast<WPARAM>(length), replace ? -1 : length);
  if (replace && text.empty() && length > 0) SendMessageW(e, WM_CHAR, VK_BACK, 1);
  bool all = true;
  for (char16_t ch : res::cp1252_to_utf16(text)) {
    if (!usable(w, id)) return false;
    // Taken when the edit changed its text (whatever the handler did with it
    // then), or replaced a selection by the same character.
    long before = state().edit_changes;
    DWORD start = 0, end = 0;
    SendMessageW(e, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    SendMessageW(e, WM_CHAR, static_cast<WPARAM>(ch), 1);
    DWORD after_start = 0, after_end = 0;
    SendMessageW(e, EM_GETSEL, reinterpret_cast<WPARAM>(&after_start),
                 reinterpret_cast<LPARAM>(&after_end));
    bool replaced = start != end && after_start == after_end;
    if (state().edit_changes == before && !replaced) all = false;
  }
  pump();
  return all;
}

HWND usable_report(Window w, int id) { return is(w, id, {Kind::Report}) ? usable(w, id) : nullptr; }

bool row_in(Window w, int id, int row) { return row >= 0 && row < list_count(w, id); }

void select_only(HWND list, int row) {
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED;
  item.state = 0;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
  if (row < 0) return;
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

// A notification of the list view to its window, as a click produces it.
void notify_list(Window w, int id, HWND list, UINT code, int row, int column) {
  NMITEMACTIVATE n{};
  n.hdr.hwndFrom = list;
  n.hdr.idFrom = static_cast<UINT_PTR>(id);
  n.hdr.code = code;
  n.iItem = row;
  n.iSubItem = column;
  SendMessageW(hwnd(w), WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&n));
  pump();
}

// Fires the earliest timer that is due; false when none is.
bool fire_due_timer() {
  Scripted& s = scripted();
  std::uint64_t now = platform::tick_ms();
  auto first = s.timers.end();
  for (auto it = s.timers.begin(); it != s.timers.end(); ++it) {
    if (it->second.due > now) continue;
    if (first != s.timers.end() &&
        (it->second.due > first->second.due ||
         (it->second.due == first->second.due && it->second.armed > first->second.armed)))
      continue;
    first = it;
  }
  if (first == s.timers.end()) return false;
  HWND h = first->first.first;
  unsigned id = first->first.second;
  first->second.due = now + first->second.interval;
  first->second.armed = ++s.armed;
  deliver(h, Event{EventKind::Timer, static_cast<int>(id)});
  return true;
}

}  // namespace

void reset() {
  State& s = state();
  // The last test's windows go without running its handlers.
  std::vector<HWND> tops;
  for (auto& [h, d] : s.windows) {
    d.handler = nullptr;
    if (!(GetWindowLongPtrW(h, GWL_STYLE) & WS_CHILD)) tops.push_back(h);
  }
  for (HWND h : tops)
    if (IsWindow(h)) DestroyWindow(h);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  if (s.accelerators) DestroyAcceleratorTable(s.accelerators);
  s.accelerators = nullptr;
  s.main = nullptr;
  s.dialogs.clear();
  s.menu_redraws = 0;
  scripted() = Scripted{};
  scripted().active = true;
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

Window main_window() { return handle(state().main); }

Window find_dialog(const char* resource) {
  for (HWND d : state().dialogs)
    if (data(d) && data(d)->name == resource) return handle(d);
  return kNoWindow;
}

Window top_dialog() {
  const auto& d = state().dialogs;
  return d.empty() ? kNoWindow : handle(d.back());
}

std::vector<Window> open_dialogs() {
  std::vector<Window> out;
  for (HWND d : state().dialogs) out.push_back(handle(d));
  return out;
}

Window find_list(const char* class_name) {
  for (const auto& [h, d] : state().windows)
    if (d.kind == WinKind::List && d.name == class_name) return handle(h);
  return kNoWindow;
}

Window find_overlay(Window parent) {
  for (const auto& [h, d] : state().windows)
    if (d.kind == WinKind::Overlay && d.owner == hwnd(parent)) return handle(h);
  return kNoWindow;
}

std::string class_of(Window w) {
  WinData* d = data(hwnd(w));
  return d ? d->name : std::string();
}

Window owner_of(Window w) {
  WinData* d = data(hwnd(w));
  return d ? handle(d->owner) : kNoWindow;
}

// ---- operator actions

bool type(Window w, int id, const std::string& text) { return typing(w, id, text, true); }
bool type_more(Window w, int id, const std::string& text) { return typing(w, id, text, false); }

bool click_into(Window w, int id) {
  HWND c = usable(w, id);
  if (!c || !(GetWindowLongPtrW(c, GWL_STYLE) & WS_TABSTOP)) return false;
  focus_control(w, id);
  pump();
  return true;
}

bool press(Window w, int id) {
  if (!usable(w, id) || !is(w, id, {Kind::Button, Kind::ColourButton, Kind::CheckBox, Kind::Radio}))
    return false;
  if (!take_focus(w, id)) return false;
  HWND c = usable(w, id);
  if (!c) return false;
  SetActiveWindow(GetAncestor(c, GA_ROOT));
  SendMessageW(c, BM_CLICK, 0, 0);
  pump();
  return true;
}

bool press_key(int key) {
  State& s = state();
  HWND focused = GetFocus();
  HWND top = s.dialogs.empty() ? nullptr : s.dialogs.back();
  // Enter, Tab and Escape in the open dialog go through the message loop's rule
  // and the dialog's navigation.
  bool dialog_key = key == kKeyEnter || key == kKeyTab || key == kKeyEscape;
  if (dialog_key && top && focused && dialog_holding(focused) == top) {
    if (!usable(top)) return false;
    post_key(focused, key);
    return true;
  }
  if (key == kKeyEnter) {
    HWND root = focused ? GetAncestor(focused, GA_ROOT) : nullptr;
    if (!root || !data(root) || !is(handle(root), GetDlgCtrlID(focused), {Kind::Report})) return false;
    post_key(focused, key);
    return true;
  }
  if (key >= kKeyF1 && key <= kKeyF11) {
    if (!s.accelerators || !s.main || !IsWindowVisible(s.main)) return false;
    std::size_t n = 0;
    const Accelerator* table = res::accel_table(&n);
    int command = accelerator_command(table, n, key, IsWindowEnabled(s.main) != FALSE,
                                      [&s](int c) { return menu_enabled(handle(s.main), c); });
    if (command == 0) return false;
    post_key(focused ? focused : s.main, key);
    return true;
  }
  return false;
}

bool press_enter() { return press_key(kKeyEnter); }

bool choose_item(Window w, int id, int index) {
  HWND c = usable(w, id);
  if (!c || !is(w, id, {Kind::ComboList, Kind::ComboEdit, Kind::ListBox})) return false;
  if (index < 0 || index >= items_count(w, id)) return false;
  if (!take_focus(w, id)) return false;
  bool list_box = is(w, id, {Kind::ListBox});
  SendMessageW(c, list_box ? LB_SETCURSEL : CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  WORD code = list_box ? LBN_SELCHANGE : CBN_SELCHANGE;
  SendMessageW(hwnd(w), WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(c));
  pump();
  return true;
}

bool choose_item(Window w, int id, const std::string& text) {
  std::vector<std::string> all = items(w, id);
  for (std::size_t i = 0; i < all.size(); ++i)
    if (all[i] == text) return choose_item(w, id, static_cast<int>(i));
  return false;
}

bool click_header(Window w, int id, int column) {
  HWND list = usable_report(w, id);
  if (!list || column < 0 || column >= list_column_count(w, id)) return false;
  NMLISTVIEW n{};
  n.hdr.hwndFrom = list;
  n.hdr.idFrom = static_cast<UINT_PTR>(id);
  n.hdr.code = LVN_COLUMNCLICK;
  n.iItem = -1;
  n.iSubItem = column;
  SendMessageW(hwnd(w), WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&n));
  pump();
  return true;
}

bool click_row(Window w, int id, int row) {
  HWND list = usable_report(w, id);
  if (!list || !row_in(w, id, row)) return false;
  select_only(list, row);
  SetFocus(list);
  pump();
  return true;
}

bool select_rows(Window w, int id, const std::vector<int>& rows) {
  HWND list = usable_report(w, id);
  if (!list) return false;
  if (rows.size() > 1 && (GetWindowLongPtrW(list, GWL_STYLE) & LVS_SINGLESEL)) return false;
  for (int r : rows)
    if (!row_in(w, id, r)) return false;
  select_only(list, -1);
  for (int r : rows) list_select(w, id, r, true);
  SetFocus(list);
  pump();
  return true;
}

bool double_click_row(Window w, int id, int row) {
  HWND list = usable_report(w, id);
  if (!list || (row != -1 && !row_in(w, id, row))) return false;
  select_only(list, row);
  SetFocus(list);
  notify_list(w, id, list, NM_DBLCLK, row, 0);
  return true;
}

bool right_click_row(Window w, int id, int row) {
  HWND list = usable_report(w, id);
  if (!list || (row != -1 && !row_in(w, id, row))) return false;
  if (row >= 0 && !(SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) &
                    LVIS_SELECTED))
    select_only(list, row);
  SetFocus(list);
  notify_list(w, id, list, NM_RCLICK, row, 0);
  return true;
}

bool list_enter(Window w, int id) {
  HWND list = usable_report(w, id);
  if (!list) return false;
  SetFocus(list);
  pump();
  return press_key(kKeyEnter);
}

bool choose_menu(int command) {
  HWND main = state().main;
  if (!usable(main) || !menu_enabled(handle(main), command)) return false;
  SendMessageW(main, WM_COMMAND, MAKEWPARAM(command, 0), 0);
  pump();
  return true;
}

bool close_window(Window w) {
  // Without its system menu a window has no close box to click.
  if (!usable(hwnd(w)) || !system_menu_shown(w)) return false;
  SendMessageW(hwnd(w), WM_CLOSE, 0, 0);
  pump();
  return true;
}

// ---- time and the queue

void pump() {
  for (long guard = 0; guard < 100000; ++guard) {
    MSG msg;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message != WM_QUIT && !pre_translate(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      continue;
    }
    if (!fire_due_timer()) return;
  }
}

void advance(std::uint64_t ms) {
  std::uint64_t target = platform::tick_ms() + ms;
  pump();
  while (platform::tick_ms() < target) {
    std::uint64_t next = target;
    for (const auto& [key, t] : scripted().timers) next = std::min(next, t.due);
    if (next > platform::tick_ms()) platform::vclock::advance(next - platform::tick_ms());
    pump();
  }
}

bool timer_running(Window w, unsigned id) { return scripted().timers.count({hwnd(w), id}) == 1; }

// ---- looking at the windows

std::vector<std::vector<std::string>> rows(Window w, int id) {
  std::vector<std::vector<std::string>> out;
  int columns = list_column_count(w, id);
  for (int r = 0; r < list_count(w, id); ++r) {
    std::vector<std::string> row;
    for (int c = 0; c < columns; ++c) row.push_back(list_text(w, id, r, c));
    out.push_back(row);
  }
  return out;
}

std::vector<std::string> items(Window w, int id) {
  std::vector<std::string> out;
  for (int i = 0; i < items_count(w, id); ++i) out.push_back(items_text(w, id, i));
  return out;
}

std::vector<std::string> column_titles(Window w, int id) {
  std::vector<std::string> out;
  HWND list = is(w, id, {Kind::Report}) ? control(w, id) : nullptr;
  for (int c = 0; list && c < list_column_count(w, id); ++c) {
    wchar_t buffer[260] = {};
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT;
    col.pszText = buffer;
    col.cchTextMax = 260;
    SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&col));
    out.push_back(narrow(buffer));
  }
  return out;
}

std::vector<int> column_widths(Window w, int id) {
  std::vector<int> out;
  HWND list = is(w, id, {Kind::Report}) ? control(w, id) : nullptr;
  for (int c = 0; list && c < list_column_count(w, id); ++c)
    out.push_back(static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(c), 0)));
  return out;
}

int text_limit(Window w, int id) {
  ControlInfo* ci = info(hwnd(w), id);
  return ci ? ci->limit : 0;
}

std::string shown_text(Window w, int id) {
  HWND c = control(w, id);
  if (!c) return std::string();
  if (is(w, id, {Kind::Edit})) {
    auto mask = static_cast<char>(SendMessageW(c, EM_GETPASSWORDCHAR, 0, 0));
    if (mask) return std::string(static_cast<std::size_t>(GetWindowTextLengthW(c)), mask);
  }
  return get_text(w, id);
}

ProgressState progress(Window w, int id) {
  ControlInfo* ci = info(hwnd(w), id);
  if (!ci || ci->kind != Kind::Progress) return ProgressState{0, 0, 0, 0};
  return ProgressState{ci->low, ci->high, ci->step, progress_position(w, id)};
}

std::vector<int> status_part_edges(Window w, int id) {
  if (!is(w, id, {Kind::StatusBar})) return {};
  HWND bar = control(w, id);
  int n = static_cast<int>(SendMessageW(bar, SB_GETPARTS, 0, 0));
  std::vector<int> edges(static_cast<std::size_t>(n > 0 ? n : 0));
  if (n > 0) SendMessageW(bar, SB_GETPARTS, static_cast<WPARAM>(n), reinterpret_cast<LPARAM>(edges.data()));
  return edges;
}

bool menu_attached() { return state().main && GetMenu(state().main) != nullptr; }
int menu_redraws() { return state().menu_redraws; }

int redraws(Window w) {
  WinData* d = data(hwnd(w));
  return d ? d->redraws : 0;
}

std::pair<Window, int> focus() {
  HWND f = GetFocus();
  if (!f) return {kNoWindow, 0};
  HWND root = GetAncestor(f, GA_ROOT);
  if (!data(root)) return {kNoWindow, 0};
  return {handle(root), root == f ? 0 : focused_id(root)};
}

const std::vector<std::string>& overlay_texts() { return scripted().overlay_history; }

int quit_code() { return scripted().quit_code; }

std::vector<PaintOp> paint(Window w) {
  HWND h = hwnd(w);
  WinData* d = data(h);
  if (!d) return {};
  scripted().paint_ops[h].clear();
  HDC dc = GetDC(h);
  d->paint_dc = dc;
  deliver(h, Event{EventKind::Paint});
  if ((d = data(h))) d->paint_dc = nullptr;
  ReleaseDC(h, dc);
  return scripted().paint_ops[h];
}

void set_screen_size(Size size) { scripted().screen = size; }

}  // namespace ui::headless
