// Win32 ui backend: modeless dialogs built at run time from the dialog templates
// (an extended dialog template in memory, with the current edition's texts), and
// the control notifications of dialogs and windows.
#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "platform/ui_rules.h"
#include "platform/win32/ui/state.h"
#include "resources/dialogs.h"

namespace ui::win32 {
namespace {

// Class ordinals of the predefined controls in a dialog template.
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;
constexpr WORD kListBoxClass = 0x0083;
constexpr WORD kComboBoxClass = 0x0085;

// Builds a DLGTEMPLATEEX: header, then DWORD-aligned items.
class TemplateWriter {
 public:
  void word(unsigned v) { bytes_.push_back(static_cast<WORD>(v)); }
  void dword(DWORD v) {
    word(v & 0xFFFF);
    word(v >> 16);
  }
  void text(const std::wstring& s) {
    for (wchar_t c : s) word(static_cast<WORD>(c));
    word(0);
  }
  void align() {
    if (bytes_.size() % 2) word(0);
  }
  // The words, in memory aligned for the dialog manager.
  const DLGTEMPLATE* finish() {
    storage_.assign((bytes_.size() + 1) / 2, 0);
    std::memcpy(storage_.data(), bytes_.data(), bytes_.size() * sizeof(WORD));
    return reinterpret_cast<const DLGTEMPLATE*>(storage_.data());
  }

 private:
  std::vector<WORD> bytes_;
  std::vector<DWORD> storage_;
};

// Window class ordinal and style of a template control. Only the first radio
// button of a group starts a dialog group, so that a group of radio buttons
// holds whatever controls lie between them, as the templates mean it.
void class_and_style(const res::ControlTemplate& c, WORD* cls, DWORD* style) {
  DWORD s = WS_CHILD;
  if (!(c.style & res::kHidden)) s |= WS_VISIBLE;
  if (c.style & res::kDisabled) s |= WS_DISABLED;
  bool tab = !(c.style & res::kNoTabStop);
  switch (c.kind) {
    case res::Ctl::Label:
      *cls = kStaticClass;
      s |= SS_NOPREFIX | (c.style & res::kCentre  ? SS_CENTER
                          : c.style & res::kRight ? SS_RIGHT
                                                  : SS_LEFT);
      break;
    case res::Ctl::Box:
      *cls = kStaticClass;
      s |= SS_NOPREFIX | SS_CENTER | SS_CENTERIMAGE | WS_BORDER;
      break;
    case res::Ctl::Group:
      *cls = kButtonClass;
      s |= BS_GROUPBOX;
      break;
    case res::Ctl::Edit:
      *cls = kEditClass;
      s |= ES_AUTOHSCROLL | WS_BORDER | (tab ? WS_TABSTOP : 0);
      if (c.style & res::kReadOnly) s |= ES_READONLY;
      if (c.style & res::kPassword) s |= ES_PASSWORD;
      if (c.style & res::kDigitsOnly) s |= ES_NUMBER;
      if (c.style & res::kUpperCase) s |= ES_UPPERCASE;
      break;
    case res::Ctl::Button:
      *cls = kButtonClass;
      s |= BS_PUSHBUTTON | (tab ? WS_TABSTOP : 0);
      if (c.style & res::kMultiLine) s |= BS_MULTILINE;
      break;
    case res::Ctl::ColourButton:
      *cls = kButtonClass;
      s |= BS_OWNERDRAW | (tab ? WS_TABSTOP : 0);
      break;
    case res::Ctl::CheckBox:
      *cls = kButtonClass;
      s |= BS_AUTOCHECKBOX | (tab ? WS_TABSTOP : 0);
      if (c.style & res::kMultiLine) s |= BS_MULTILINE;
      break;
    case res::Ctl::Radio:
      *cls = kButtonClass;
      s |= BS_AUTORADIOBUTTON;
      if (c.style & res::kGroupStart) s |= WS_GROUP | (tab ? WS_TABSTOP : 0);
      if (c.style & res::kMultiLine) s |= BS_MULTILINE;
      break;
    case res::Ctl::ComboList:
      *cls = kComboBoxClass;
      s |= CBS_DROPDOWNLIST | WS_VSCROLL | (tab ? WS_TABSTOP : 0);
      break;
    case res::Ctl::ComboEdit:
      *cls = kComboBoxClass;
      s |= CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | (tab ? WS_TABSTOP : 0);
      break;
    case res::Ctl::ListBox:
      *cls = kListBoxClass;
      s |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_BORDER | WS_VSCROLL | (tab ? WS_TABSTOP : 0);
      break;
  }
  *style = s;
}

const DLGTEMPLATE* build_template(const res::DialogTemplate& t, TemplateWriter& w) {
  w.word(1);       // dlgVer
  w.word(0xFFFF);  // signature
  w.dword(0);      // helpID
  w.dword(0);      // exStyle
  w.dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_3DLOOK);
  w.word(static_cast<unsigned>(t.count));
  w.word(0);  // x, y: the owner's top-left; the views place the dialog
  w.word(0);
  w.word(static_cast<unsigned>(t.width));
  w.word(static_cast<unsigned>(t.height));
  w.word(0);  // no menu
  w.word(0);  // the dialog class
  w.text(wide(res::text(t.caption)));
  w.word(8);  // font: 8 point, normal weight, not italic, default character set
  w.word(FW_NORMAL);
  w.word(0x0100);  // italic = 0, charset = DEFAULT_CHARSET (1)
  w.text(L"MS Shell Dlg");
  for (std::size_t i = 0; i < t.count; ++i) {
    const res::ControlTemplate& c = t.controls[i];
    w.align();
    WORD cls = 0;
    DWORD style = 0;
    class_and_style(c, &cls, &style);
    w.dword(0);  // helpID
    w.dword(0);  // exStyle
    w.dword(style);
    w.word(static_cast<unsigned>(static_cast<unsigned short>(c.x)));
    w.word(static_cast<unsigned>(static_cast<unsigned short>(c.y)));
    w.word(static_cast<unsigned>(static_cast<unsigned short>(c.width)));
    w.word(static_cast<unsigned>(static_cast<unsigned short>(c.height)));
    w.dword(static_cast<DWORD>(c.id));
    w.word(0xFFFF);
    w.word(cls);
    w.text(c.text == res::kNoText ? std::wstring() : wide(res::text(c.text)));
    w.word(0);  // no creation data
  }
  return w.finish();
}

// Edits filter typed characters by their run-time styles: digits only, upper case.
LRESULT CALLBACK edit_subclass(HWND e, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  if (msg == WM_CHAR) {
    ControlInfo* ci = info(GetParent(e), GetDlgCtrlID(e));
    wchar_t c = static_cast<wchar_t>(wp);
    if (ci && c >= 0x20) {
      if ((ci->edit_styles & kDigitsOnly) && !(c >= L'0' && c <= L'9')) {
        MessageBeep(MB_OK);
        return 0;
      }
      if (ci->edit_styles & kUpperCase)
        wp = reinterpret_cast<WPARAM>(CharUpperW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(c))));
    }
  } else if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(e, edit_subclass, 1);
  }
  return DefSubclassProc(e, msg, wp, lp);
}

struct DialogInit {
  WinData data;
  const res::DialogTemplate* tmpl;
};

void init_dialog(HWND h, DialogInit* init) {
  State& s = state();
  WinData& d = s.windows[h] = std::move(init->data);
  s.dialogs.push_back(h);
  // The program's icon rather than the system's default (window managers show it).
  if (s.icon_small) SendMessageW(h, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(s.icon_small));
  if (s.icon_large) SendMessageW(h, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(s.icon_large));
  for (std::size_t i = 0; i < init->tmpl->count; ++i) {
    const res::ControlTemplate& c = init->tmpl->controls[i];
    ControlInfo ci;
    ci.kind = kind_of(c.kind);
    ci.edit_styles = c.style & (kReadOnly | kDigitsOnly | kUpperCase | kPassword);
    d.controls[c.id] = ci;
    if (ci.kind == Kind::Edit) {
      HWND e = GetDlgItem(h, c.id);
      SetWindowSubclass(e, edit_subclass, 1, 0);
      if (ci.edit_styles & kPassword) SendMessageW(e, EM_SETPASSWORDCHAR, L'*', 0);
    }
  }
}

INT_PTR CALLBACK dialog_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG:
      init_dialog(h, reinterpret_cast<DialogInit*>(lp));
      return TRUE;
    case WM_COMMAND:
      return handle_command(h, wp, lp);
    case kPostedCommand:
      deliver(h, Event{EventKind::Command, static_cast<int>(wp), static_cast<std::intptr_t>(lp)});
      return TRUE;
    case WM_TIMER:
      deliver(h, Event{EventKind::Timer, static_cast<int>(wp)});
      return TRUE;
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (!handle_notify(h, lp, &result)) return FALSE;
      SetWindowLongPtrW(h, DWLP_MSGRESULT, result);
      return TRUE;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      LRESULT brush = 0;
      if (!handle_colour(h, reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp), &brush))
        return FALSE;
      return static_cast<INT_PTR>(brush);
    }
    case WM_DRAWITEM:
      return handle_draw_item(h, reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
    case WM_CLOSE:
      close_request(h);
      return TRUE;
    case WM_DESTROY:
      deliver(h, Event{EventKind::Destroyed});
      return TRUE;
    case WM_NCDESTROY:
      forget_window(h);
      return FALSE;
    default:
      return FALSE;
  }
}

HWND owner_of(HWND h) {
  WinData* d = data(h);
  return d ? d->owner : GetWindow(h, GW_OWNER);
}

bool owned_by(HWND w, HWND dialog) {
  for (HWND x = w; x; x = owner_of(x))
    if (x == dialog) return true;
  return false;
}

Event list_event(EventKind kind, int id, int row, int column) {
  Event e{kind, id};
  e.row = row;
  e.column = column;
  return e;
}

// Whether the edit's text differs from what was last reported (some edits
// notify a change also when a character was refused at the text limit).
bool typed_change(ControlInfo* ci, HWND ctl) {
  std::string now = window_text(ctl);
  if (now == ci->last_text) return false;
  ci->last_text = now;
  ++state().edit_changes;
  return true;
}

}  // namespace

void close_request(HWND h) {
  if (deliver(h, Event{EventKind::Close})) return;
  WinData* d = data(h);
  if (!d) return;
  if (d->kind != WinKind::Dialog) {
    DestroyWindow(h);
    return;
  }
  HWND exit = GetDlgItem(h, kIdExitMenu);
  bool shown = exit && (GetWindowLongPtrW(exit, GWL_STYLE) & WS_VISIBLE);
  if (close_presses_exit(exit != nullptr, exit && IsWindowEnabled(exit), shown))
    deliver(h, Event{EventKind::Command, kIdExitMenu});
}

bool handle_command(HWND h, WPARAM wp, LPARAM lp) {
  int id = static_cast<short>(LOWORD(wp));
  int code = HIWORD(wp);
  HWND ctl = reinterpret_cast<HWND>(lp);
  WinData* d = data(h);
  if (!d) return false;
  if (!ctl) {
    // A menu command or accelerator; in a dialog, Escape arrives as IDCANCEL.
    deliver(h, Event{EventKind::Command, id});
    return true;
  }
  ControlInfo* ci = info(h, id);
  if (!ci) return false;
  switch (ci->kind) {
    case Kind::Button:
    case Kind::ColourButton:
    case Kind::CheckBox:
    case Kind::Radio:
      if (code == BN_CLICKED) deliver(h, Event{EventKind::Command, id});
      return true;
    case Kind::Edit:
      if (code == EN_CHANGE && ctl != state().quiet_control && typed_change(ci, ctl))
        deliver(h, Event{EventKind::EditChanged, id});
      else if (code == EN_KILLFOCUS)
        deliver(h, Event{EventKind::FocusLost, id});
      return true;
    case Kind::ComboEdit:
      if (code == CBN_EDITCHANGE && ctl != state().quiet_control && typed_change(ci, ctl))
        deliver(h, Event{EventKind::EditChanged, id});
      else if (code == CBN_SELCHANGE)
        deliver(h, Event{EventKind::SelectionChanged, id});
      else if (code == CBN_KILLFOCUS)
        deliver(h, Event{EventKind::FocusLost, id});
      return true;
    case Kind::ComboList:
      if (code == CBN_SELCHANGE) deliver(h, Event{EventKind::SelectionChanged, id});
      return true;
    case Kind::ListBox:
      if (code == LBN_SELCHANGE) deliver(h, Event{EventKind::SelectionChanged, id});
      return true;
    default:
      return false;
  }
}

bool handle_notify(HWND h, LPARAM lp, LRESULT* result) {
  const auto* n = reinterpret_cast<const NMHDR*>(lp);
  int id = static_cast<int>(n->idFrom);
  ControlInfo* ci = info(h, id);
  if (!ci || ci->kind != Kind::Report) return false;
  *result = 0;
  switch (n->code) {
    case LVN_COLUMNCLICK:
      deliver(h, list_event(EventKind::HeaderClick, id, -1,
                            reinterpret_cast<const NMLISTVIEW*>(lp)->iSubItem));
      return true;
    case NM_DBLCLK:
      deliver(h, list_event(EventKind::DoubleClick, id,
                            reinterpret_cast<const NMITEMACTIVATE*>(lp)->iItem, -1));
      return true;
    case NM_RCLICK:
      deliver(h, list_event(EventKind::RightClick, id,
                            reinterpret_cast<const NMITEMACTIVATE*>(lp)->iItem, -1));
      return true;
    case NM_RETURN:
      deliver(h, list_event(EventKind::ListEnter, id, -1, -1));
      return true;
    default:
      return false;
  }
}

bool handle_colour(HWND h, HDC dc, HWND ctl, LRESULT* result) {
  ControlInfo* ci = info(h, GetDlgCtrlID(ctl));
  if (!ci || (ci->kind != Kind::Label && ci->kind != Kind::Box)) return false;
  if (!ci->has_background && ci->foreground == rgb(0, 0, 0)) return false;
  SetTextColor(dc, colour_ref(ci->foreground));
  if (ci->has_background) {
    if (!ci->brush) ci->brush = CreateSolidBrush(colour_ref(ci->background));
    SetBkColor(dc, colour_ref(ci->background));
    *result = reinterpret_cast<LRESULT>(ci->brush);
  } else {
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    *result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
  }
  return true;
}

bool handle_draw_item(HWND h, const DRAWITEMSTRUCT* item) {
  ControlInfo* ci = info(h, static_cast<int>(item->CtlID));
  if (!ci || ci->kind != Kind::ColourButton) return false;
  HDC dc = item->hDC;
  RECT r = item->rcItem;
  HBRUSH fill = ci->has_background ? CreateSolidBrush(colour_ref(ci->background)) : nullptr;
  FillRect(dc, &r, fill ? fill : GetSysColorBrush(COLOR_BTNFACE));
  if (fill) DeleteObject(fill);
  // A black frame, two pixels wide while pressed or focused.
  HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  int frame = (item->itemState & (ODS_SELECTED | ODS_FOCUS)) ? 2 : 1;
  RECT f = r;
  for (int i = 0; i < frame; ++i) {
    FrameRect(dc, &f, black);
    InflateRect(&f, -1, -1);
  }
  std::wstring text = wide(window_text(item->hwndItem));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, (item->itemState & ODS_DISABLED) ? GetSysColor(COLOR_GRAYTEXT) : RGB(0, 0, 0));
  DrawTextW(dc, text.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  return true;
}

void release_controls(WinData& d) {
  for (auto& [id, ci] : d.controls) {
    if (ci.brush) DeleteObject(ci.brush);
    if (ci.font) DeleteObject(ci.font);
    ci.brush = nullptr;
    ci.font = nullptr;
  }
}

}  // namespace ui::win32

namespace ui {

using namespace win32;

Window create_dialog(const char* resource, Window owner, const Handler& handler) {
  const res::DialogTemplate* t = res::dialog_template(resource);
  if (!t) return kNoWindow;
  for (HWND open : state().dialogs)
    if (!owned_by(hwnd(owner), open)) return kNoWindow;
  if (failing(Failing::CreateDialog)) return kNoWindow;
  TemplateWriter writer;
  const DLGTEMPLATE* tmpl = build_template(*t, writer);
  DialogInit init;
  init.data.kind = WinKind::Dialog;
  init.data.handler = handler;
  init.data.name = t->name;
  init.data.owner = hwnd(owner);
  init.tmpl = t;
  HWND h = CreateDialogIndirectParamW(instance(), tmpl, hwnd(owner), dialog_proc,
                                      reinterpret_cast<LPARAM>(&init));
  if (!h) return kNoWindow;
  ShowWindow(h, SW_SHOW);
  return handle(h);
}

}  // namespace ui
