// Win32 ui backend: controls by id — texts, states, check boxes, combo and list
// boxes, report list views, progress bar, status bar, colours and fonts.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <numeric>

#include "platform/win32/ui/state.h"

namespace ui {

using namespace win32;

namespace {

bool is_kind(Window w, int id, Kind k) {
  ControlInfo* ci = info(hwnd(w), id);
  return ci && ci->kind == k;
}

bool is_combo(Window w, int id) {
  return is_kind(w, id, Kind::ComboList) || is_kind(w, id, Kind::ComboEdit);
}

HWND report(Window w, int id) {
  return is_kind(w, id, Kind::Report) ? GetDlgItem(hwnd(w), id) : nullptr;
}

std::string item_text(HWND list, int row, int column) {
  std::wstring buffer(1024, L'\0');
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = &buffer[0];
  item.cchTextMax = static_cast<int>(buffer.size());
  LRESULT n = SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                           reinterpret_cast<LPARAM>(&item));
  buffer.resize(static_cast<std::size_t>(std::max<LRESULT>(n, 0)));
  return narrow(buffer);
}

bool set_item_text(HWND list, int row, int column, const std::string& text) {
  std::wstring w = wide(text);
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = &w[0];
  return SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row),
                      reinterpret_cast<LPARAM>(&item)) != FALSE;
}

void set_item_state(HWND list, int row, UINT state_bits, UINT mask) {
  LVITEMW item{};
  item.stateMask = mask;
  item.state = state_bits;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

bool control_exists(Window w, int id) { return control(w, id) != nullptr; }

void set_text(Window w, int id, const std::string& text) {
  HWND c = control(w, id);
  if (!c) return;
  if (is_kind(w, id, Kind::ComboList)) {
    // A drop-down list selects the entry of that text when it holds one.
    std::wstring t = wide(text);
    LRESULT at = SendMessageW(c, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                              reinterpret_cast<LPARAM>(t.c_str()));
    if (at != CB_ERR) SendMessageW(c, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
    return;
  }
  bool edit = is_kind(w, id, Kind::Edit) || is_kind(w, id, Kind::ComboEdit);
  // The control's own change notification is held back; one EditChanged follows.
  HWND before = state().quiet_control;
  state().quiet_control = c;
  SetWindowTextW(c, wide(text).c_str());
  state().quiet_control = before;
  if (is_kind(w, id, Kind::ColourButton)) InvalidateRect(c, nullptr, TRUE);
  if (!edit) return;
  // Typing goes on at the end of the new text (the system would put the caret
  // before it).
  HWND e = is_kind(w, id, Kind::ComboEdit) ? FindWindowExW(c, nullptr, L"Edit", nullptr) : c;
  if (e) SendMessageW(e, EM_SETSEL, GetWindowTextLengthW(e), GetWindowTextLengthW(e));
  info(hwnd(w), id)->last_text = window_text(c);
  deliver(hwnd(w), Event{EventKind::EditChanged, id});
}

std::string get_text(Window w, int id) {
  HWND c = control(w, id);
  return c ? window_text(c) : std::string();
}

void limit_text(Window w, int id, int max_chars) {
  HWND c = control(w, id);
  if (!c) return;
  if (ControlInfo* ci = info(hwnd(w), id)) ci->limit = std::max(max_chars, 0);
  SendMessageW(c, is_combo(w, id) ? CB_LIMITTEXT : EM_LIMITTEXT,
               static_cast<WPARAM>(std::max(max_chars, 0)), 0);
}

void enable_control(Window w, int id, bool on) {
  if (HWND c = control(w, id)) EnableWindow(c, on);
}
bool control_enabled(Window w, int id) {
  HWND c = control(w, id);
  return c && IsWindowEnabled(c);
}

void show_control(Window w, int id, bool on) {
  if (HWND c = control(w, id)) ShowWindow(c, on ? SW_SHOW : SW_HIDE);
}
bool control_visible(Window w, int id) {
  HWND c = control(w, id);
  return c && (GetWindowLongPtrW(c, GWL_STYLE) & WS_VISIBLE);
}

void focus_control(Window w, int id) {
  HWND c = control(w, id);
  if (!c) return;
  WinData* d = data(hwnd(w));
  if (d && d->kind == WinKind::Dialog)
    SendMessageW(hwnd(w), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(c), TRUE);
  else
    SetFocus(c);
}

// The dialog manager's own Tab step.
bool focus_next(Window w) {
  WinData* d = data(hwnd(w));
  if (!d || d->kind != WinKind::Dialog) return false;
  SendMessageW(hwnd(w), WM_NEXTDLGCTL, 0, FALSE);
  return focused_id(hwnd(w)) != 0;
}

int focused_control(Window w) { return data(hwnd(w)) ? focused_id(hwnd(w)) : 0; }

Rect control_rect(Window w, int id) {
  HWND c = control(w, id);
  if (!c) return Rect{};
  RECT r;
  GetWindowRect(c, &r);
  MapWindowPoints(HWND_DESKTOP, hwnd(w), reinterpret_cast<POINT*>(&r), 2);
  return Rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// The control is painted at its new place at once: a themed push button whose
// text changed just before the move stayed blank there under Wine otherwise.
void move_control(Window w, int id, const Rect& rect) {
  HWND c = control(w, id);
  if (!c) return;
  MoveWindow(c, rect.x, rect.y, rect.width, rect.height, TRUE);
  RedrawWindow(c, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_FRAME);
}

void redraw_control(Window w, int id) {
  if (HWND c = control(w, id))
    RedrawWindow(c, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_FRAME);
}

void destroy_control(Window w, int id) {
  HWND c = control(w, id);
  if (!c) return;
  DestroyWindow(c);
  WinData* d = data(hwnd(w));
  auto it = d->controls.find(id);
  if (it != d->controls.end() && !GetDlgItem(hwnd(w), id)) {
    if (it->second.brush) DeleteObject(it->second.brush);
    if (it->second.font) DeleteObject(it->second.font);
    d->controls.erase(it);
  }
}

// ---------------------------------------------------------------------------
// Edit styles

void set_edit_style(Window w, int id, unsigned styles, bool on) {
  HWND c = control(w, id);
  ControlInfo* ci = info(hwnd(w), id);
  if (!c || !ci || ci->kind != Kind::Edit) return;
  ci->edit_styles = on ? ci->edit_styles | styles : ci->edit_styles & ~styles;
  if (styles & kReadOnly) SendMessageW(c, EM_SETREADONLY, on, 0);
  if (styles & kPassword) SendMessageW(c, EM_SETPASSWORDCHAR, on ? L'*' : 0, 0);
  LONG_PTR s = GetWindowLongPtrW(c, GWL_STYLE);
  LONG_PTR bits = ((styles & kDigitsOnly) ? ES_NUMBER : 0) | ((styles & kUpperCase) ? ES_UPPERCASE : 0);
  SetWindowLongPtrW(c, GWL_STYLE, on ? s | bits : s & ~bits);
  InvalidateRect(c, nullptr, TRUE);
}

unsigned edit_style(Window w, int id) {
  ControlInfo* ci = info(hwnd(w), id);
  return ci ? ci->edit_styles : 0;
}

// ---------------------------------------------------------------------------
// Check boxes and radio buttons

void set_check(Window w, int id, bool on) {
  if (HWND c = control(w, id)) SendMessageW(c, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}
bool checked(Window w, int id) {
  HWND c = control(w, id);
  return c && SendMessageW(c, BM_GETCHECK, 0, 0) == BST_CHECKED;
}
void check_radio(Window w, int first, int last, int id) {
  for (int i = first; i <= last; ++i)
    if (HWND c = control(w, i)) SendMessageW(c, BM_SETCHECK, i == id ? BST_CHECKED : BST_UNCHECKED, 0);
}

// ---------------------------------------------------------------------------
// Combo boxes and list boxes

namespace {
struct ItemMessages {
  UINT reset, add, select, selected, count, length, text;
};
constexpr ItemMessages kComboMessages{CB_RESETCONTENT, CB_ADDSTRING,   CB_SETCURSEL,  CB_GETCURSEL,
                                      CB_GETCOUNT,     CB_GETLBTEXTLEN, CB_GETLBTEXT};
constexpr ItemMessages kListMessages{LB_RESETCONTENT, LB_ADDSTRING,  LB_SETCURSEL, LB_GETCURSEL,
                                     LB_GETCOUNT,     LB_GETTEXTLEN, LB_GETTEXT};

// The control and its messages; null for anything but a combo or list box.
HWND items_control(Window w, int id, const ItemMessages** m) {
  if (is_combo(w, id)) *m = &kComboMessages;
  else if (is_kind(w, id, Kind::ListBox)) *m = &kListMessages;
  else return nullptr;
  return control(w, id);
}
}  // namespace

void items_clear(Window w, int id) {
  const ItemMessages* m;
  if (HWND c = items_control(w, id, &m)) SendMessageW(c, m->reset, 0, 0);
}

int items_add(Window w, int id, const std::string& text) {
  const ItemMessages* m;
  HWND c = items_control(w, id, &m);
  if (!c) return -1;
  std::wstring t = wide(text);
  LRESULT at = SendMessageW(c, m->add, 0, reinterpret_cast<LPARAM>(t.c_str()));
  return at < 0 ? -1 : static_cast<int>(at);
}

bool items_select(Window w, int id, int index) {
  const ItemMessages* m;
  HWND c = items_control(w, id, &m);
  if (!c) return false;
  if (index < -1 || index >= items_count(w, id)) return false;
  SendMessageW(c, m->select, static_cast<WPARAM>(index), 0);
  return true;
}

int items_selected(Window w, int id) {
  const ItemMessages* m;
  HWND c = items_control(w, id, &m);
  if (!c) return -1;
  LRESULT at = SendMessageW(c, m->selected, 0, 0);
  return at < 0 ? -1 : static_cast<int>(at);
}

int items_count(Window w, int id) {
  const ItemMessages* m;
  HWND c = items_control(w, id, &m);
  if (!c) return 0;
  LRESULT n = SendMessageW(c, m->count, 0, 0);
  return n < 0 ? 0 : static_cast<int>(n);
}

std::string items_text(Window w, int id, int index) {
  const ItemMessages* m;
  HWND c = items_control(w, id, &m);
  if (!c || index < 0 || index >= items_count(w, id)) return std::string();
  LRESULT n = SendMessageW(c, m->length, static_cast<WPARAM>(index), 0);
  if (n < 0) return std::string();
  std::wstring buffer(static_cast<std::size_t>(n) + 1, L'\0');
  LRESULT got = SendMessageW(c, m->text, static_cast<WPARAM>(index),
                             reinterpret_cast<LPARAM>(&buffer[0]));
  buffer.resize(static_cast<std::size_t>(std::max<LRESULT>(got, 0)));
  return narrow(buffer);
}

// ---------------------------------------------------------------------------
// Report list views

bool create_report_list(Window w, int id, unsigned list_styles) {
  WinData* d = data(hwnd(w));
  if (!d || GetDlgItem(hwnd(w), id) || failing(Failing::CreateReportList)) return false;
  RECT client;
  GetClientRect(hwnd(w), &client);
  DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS;
  if (!(list_styles & kMultiSelect)) style |= LVS_SINGLESEL;
  HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", style, 0, 0, client.right, client.bottom,
                              hwnd(w), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              instance(), nullptr);
  if (!list) return false;
  DWORD ex = 0;
  if (list_styles & kGridLines) ex |= LVS_EX_GRIDLINES;
  if (list_styles & kFullRowSelect) ex |= LVS_EX_FULLROWSELECT;
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
  ControlInfo ci;
  ci.kind = Kind::Report;
  d->controls[id] = ci;
  return true;
}

bool list_add_column(Window w, int id, int column, const std::string& text, int width) {
  HWND list = report(w, id);
  if (!list || failing(Failing::AddColumn)) return false;
  std::wstring t = wide(text);
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  col.pszText = &t[0];
  col.cx = width;
  col.iSubItem = column;
  return SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column),
                      reinterpret_cast<LPARAM>(&col)) >= 0;
}

void list_set_column_text(Window w, int id, int column, const std::string& text) {
  HWND list = report(w, id);
  if (!list) return;
  std::wstring t = wide(text);
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT;
  col.pszText = &t[0];
  SendMessageW(list, LVM_SETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col));
}

int list_column_count(Window w, int id) {
  HWND list = report(w, id);
  if (!list) return 0;
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  return header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

int list_insert_row(Window w, int id, int row, const std::vector<std::string>& texts) {
  HWND list = report(w, id);
  if (!list || failing(Failing::InsertRow)) return -1;
  int count = list_count(w, id);
  std::wstring first = wide(texts.empty() ? std::string() : texts[0]);
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = row < 0 || row > count ? count : row;
  item.pszText = &first[0];
  int at = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (at < 0) return -1;
  for (std::size_t c = 1; c < texts.size(); ++c)
    set_item_text(list, at, static_cast<int>(c), texts[c]);
  return at;
}

bool list_set_text(Window w, int id, int row, int column, const std::string& text) {
  HWND list = report(w, id);
  if (!list || row < 0 || row >= list_count(w, id) || column < 0 ||
      column >= list_column_count(w, id))
    return false;
  return set_item_text(list, row, column, text);
}

std::string list_text(Window w, int id, int row, int column) {
  HWND list = report(w, id);
  if (!list || row < 0 || row >= list_count(w, id)) return std::string();
  return item_text(list, row, column);
}

int list_count(Window w, int id) {
  HWND list = report(w, id);
  return list ? static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

bool list_delete_row(Window w, int id, int row) {
  HWND list = report(w, id);
  if (!list || row < 0 || row >= list_count(w, id) || failing(Failing::DeleteRow)) return false;
  return SendMessageW(list, LVM_DELETEITEM, static_cast<WPARAM>(row), 0) != FALSE;
}

void list_clear(Window w, int id) {
  if (HWND list = report(w, id)) SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
}

std::vector<int> list_selected(Window w, int id) {
  std::vector<int> rows;
  HWND list = report(w, id);
  if (!list) return rows;
  int at = -1;
  while ((at = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(at),
                                             LVNI_SELECTED))) >= 0)
    rows.push_back(at);
  return rows;
}

int list_first_selected(Window w, int id) {
  HWND list = report(w, id);
  if (!list) return -1;
  return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void list_select(Window w, int id, int row, bool on) {
  HWND list = report(w, id);
  if (!list || row < 0 || row >= list_count(w, id)) return;
  set_item_state(list, row, on ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

void list_focus_row(Window w, int id, int row) {
  HWND list = report(w, id);
  if (!list || row < 0 || row >= list_count(w, id)) return;
  set_item_state(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
  SetFocus(list);
}

void list_sort(Window w, int id, const RowCompare& compare) {
  HWND list = report(w, id);
  if (!list) return;
  int count = list_count(w, id);
  int columns = list_column_count(w, id);
  struct Row {
    std::vector<std::string> texts;
    UINT state;
  };
  std::vector<Row> rows(static_cast<std::size_t>(count));
  for (int r = 0; r < count; ++r) {
    for (int c = 0; c < columns; ++c) rows[r].texts.push_back(item_text(list, r, c));
    rows[r].state = static_cast<UINT>(
        SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(r), LVIS_SELECTED | LVIS_FOCUSED));
  }
  std::stable_sort(rows.begin(), rows.end(),
                   [&](const Row& a, const Row& b) { return compare(a.texts, b.texts) < 0; });
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  for (int r = 0; r < count; ++r) {
    for (int c = 0; c < columns; ++c) set_item_text(list, r, c, rows[r].texts[c]);
    set_item_state(list, r, rows[r].state, LVIS_SELECTED | LVIS_FOCUSED);
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

// ---------------------------------------------------------------------------
// Progress bar

bool create_progress(Window w, int id, const Rect& rect) {
  WinData* d = data(hwnd(w));
  if (!d || GetDlgItem(hwnd(w), id) || failing(Failing::CreateProgress)) return false;
  HWND bar = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, rect.x, rect.y,
                             rect.width, rect.height, hwnd(w),
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance(), nullptr);
  if (!bar) return false;
  ControlInfo ci;
  ci.kind = Kind::Progress;
  d->controls[id] = ci;
  SendMessageW(bar, PBM_SETRANGE32, 0, 100);
  SendMessageW(bar, PBM_SETSTEP, 10, 0);
  return true;
}

void progress_range(Window w, int id, int low, int high) {
  ControlInfo* ci = info(hwnd(w), id);
  if (!ci || ci->kind != Kind::Progress) return;
  ci->low = low;
  ci->high = high;
  SendMessageW(control(w, id), PBM_SETRANGE32, static_cast<WPARAM>(low), high);
}

void progress_step_size(Window w, int id, int step) {
  ControlInfo* ci = info(hwnd(w), id);
  if (!ci || ci->kind != Kind::Progress) return;
  ci->step = step;
  SendMessageW(control(w, id), PBM_SETSTEP, static_cast<WPARAM>(step), 0);
}

void progress_step(Window w, int id) {
  ControlInfo* ci = info(hwnd(w), id);
  if (!ci || ci->kind != Kind::Progress) return;
  // Like the common control: stepping past the end starts over.
  int next = progress_position(w, id) + ci->step;
  progress_set(w, id, next > ci->high ? ci->low : next);
}

void progress_set(Window w, int id, int position) {
  ControlInfo* ci = info(hwnd(w), id);
  if (!ci || ci->kind != Kind::Progress) return;
  HWND bar = control(w, id);
  SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(std::clamp(position, ci->low, ci->high)), 0);
  UpdateWindow(bar);
}

int progress_position(Window w, int id) {
  ControlInfo* ci = info(hwnd(w), id);
  if (!ci || ci->kind != Kind::Progress) return 0;
  return static_cast<int>(SendMessageW(control(w, id), PBM_GETPOS, 0, 0));
}

// ---------------------------------------------------------------------------
// Status bar

bool create_status_bar(Window w, int id) {
  WinData* d = data(hwnd(w));
  if (!d || GetDlgItem(hwnd(w), id) || failing(Failing::CreateStatusBar)) return false;
  HWND bar = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0,
                             0, 0, hwnd(w), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             instance(), nullptr);
  if (!bar) return false;
  ControlInfo ci;
  ci.kind = Kind::StatusBar;
  d->controls[id] = ci;
  SendMessageW(bar, WM_SIZE, 0, 0);
  return true;
}

void status_parts(Window w, int id, const std::vector<int>& right_edges) {
  if (!is_kind(w, id, Kind::StatusBar) || right_edges.empty()) return;
  HWND bar = control(w, id);
  SendMessageW(bar, WM_SIZE, 0, 0);
  SendMessageW(bar, SB_SETPARTS, right_edges.size(), reinterpret_cast<LPARAM>(right_edges.data()));
}

void set_status_text(Window w, int id, int part, const std::string& text) {
  if (!is_kind(w, id, Kind::StatusBar)) return;
  std::wstring t = wide(text);
  SendMessageW(control(w, id), SB_SETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(t.c_str()));
}

std::string status_text(Window w, int id, int part) {
  if (!is_kind(w, id, Kind::StatusBar)) return std::string();
  HWND bar = control(w, id);
  LRESULT n = LOWORD(SendMessageW(bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(part), 0));
  std::wstring buffer(static_cast<std::size_t>(n) + 1, L'\0');
  SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(&buffer[0]));
  buffer.resize(static_cast<std::size_t>(n));
  return narrow(buffer);
}

// ---------------------------------------------------------------------------
// Colours and fonts

void set_colour(Window w, int id, Colour background) {
  ControlInfo* ci = info(hwnd(w), id);
  HWND c = control(w, id);
  if (!ci || !c) return;
  ci->background = background;
  ci->has_background = !background.face;
  if (ci->brush) DeleteObject(ci->brush);
  ci->brush = nullptr;
  InvalidateRect(c, nullptr, TRUE);
}

Colour colour(Window w, int id) {
  ControlInfo* ci = info(hwnd(w), id);
  return ci ? ci->background : kFaceColour;
}

void set_text_colour(Window w, int id, Colour text) {
  ControlInfo* ci = info(hwnd(w), id);
  HWND c = control(w, id);
  if (!ci || !c) return;
  ci->foreground = text;
  InvalidateRect(c, nullptr, TRUE);
}

Colour text_colour(Window w, int id) {
  ControlInfo* ci = info(hwnd(w), id);
  return ci ? ci->foreground : rgb(0, 0, 0);
}

bool set_font_height(Window w, int id, int height) {
  ControlInfo* ci = info(hwnd(w), id);
  HWND c = control(w, id);
  if (!ci || !c || failing(Failing::NoDialogFont)) return false;
  HFONT base = reinterpret_cast<HFONT>(SendMessageW(hwnd(w), WM_GETFONT, 0, 0));
  LOGFONTW lf{};
  if (!base || !GetObjectW(base, sizeof lf, &lf)) return false;
  lf.lfHeight = -height;
  lf.lfWidth = 0;
  HFONT font = CreateFontIndirectW(&lf);
  if (!font) return false;
  SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  if (ci->font) DeleteObject(ci->font);
  ci->font = font;
  return true;
}

}  // namespace ui
