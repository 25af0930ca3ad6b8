// Win32 ui backend: window classes, the main and list windows, the overlay, the
// window functions, commands, the message loop and timers.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "platform/ui_rules.h"
#include "platform/win32/ui/state.h"
#include "resources/cp1252.h"
#include "resources/images.h"
#include "resources/menu.h"

namespace ui {
namespace win32 {

State& state() {
  static State s;
  return s;
}

HINSTANCE instance() { return GetModuleHandleW(nullptr); }

WinData* data(HWND h) {
  auto it = state().windows.find(h);
  return it == state().windows.end() ? nullptr : &it->second;
}

ControlInfo* info(HWND parent, int id) {
  WinData* d = data(parent);
  if (!d) return nullptr;
  auto it = d->controls.find(id);
  return it == d->controls.end() ? nullptr : &it->second;
}

HWND control(Window w, int id) {
  if (!data(hwnd(w))) return nullptr;
  return GetDlgItem(hwnd(w), id);
}

bool deliver(HWND h, const Event& e) {
  WinData* d = data(h);
  if (!d || !d->handler) return false;
  Handler handler = d->handler;  // the handler may destroy the window
  return handler(handle(h), e);
}

std::wstring wide(const std::string& cp1252) {
  std::u16string u = res::cp1252_to_utf16(cp1252);
  return std::wstring(u.begin(), u.end());
}

std::string narrow(const std::wstring& text) {
  return res::utf16_to_cp1252(std::u16string(text.begin(), text.end()));
}

std::string window_text(HWND h) {
  int n = GetWindowTextLengthW(h);
  std::wstring buffer(static_cast<std::size_t>(n) + 1, L'\0');
  int got = GetWindowTextW(h, &buffer[0], n + 1);
  buffer.resize(static_cast<std::size_t>(std::max(got, 0)));
  return narrow(buffer);
}

COLORREF colour_ref(const Colour& c) {
  return c.face ? GetSysColor(COLOR_BTNFACE) : RGB(c.r, c.g, c.b);
}

HWND dialog_holding(HWND h) {
  if (!h) return nullptr;
  HWND root = GetAncestor(h, GA_ROOT);
  for (HWND d : state().dialogs)
    if (d == root) return d;
  return nullptr;
}

int focused_id(HWND parent) {
  HWND f = GetFocus();
  if (!f || !IsChild(parent, f)) return 0;
  while (GetParent(f) != parent) f = GetParent(f);
  return GetDlgCtrlID(f);
}

void forget_window(HWND h) {
  State& s = state();
  auto it = s.windows.find(h);
  if (it == s.windows.end()) return;
  release_controls(it->second);
  if (it->second.overlay_font) DeleteObject(it->second.overlay_font);
  s.windows.erase(it);
  s.dialogs.erase(std::remove(s.dialogs.begin(), s.dialogs.end(), h), s.dialogs.end());
  if (s.main == h) s.main = nullptr;
  driven_forget(h);
}

namespace {

constexpr const wchar_t* kOverlayClass = L"EnrolOverlay";

// Icons from the picture data: 32-bit colour with alpha and a mask.
HICON make_icon(const res::Picture& p, int size) {
  BITMAPV5HEADER h{};
  h.bV5Size = sizeof h;
  h.bV5Width = size;
  h.bV5Height = -size;
  h.bV5Planes = 1;
  h.bV5BitCount = 32;
  h.bV5Compression = BI_BITFIELDS;
  h.bV5RedMask = 0x00FF0000;
  h.bV5GreenMask = 0x0000FF00;
  h.bV5BlueMask = 0x000000FF;
  h.bV5AlphaMask = 0xFF000000;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP colour = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&h), DIB_RGB_COLORS,
                                    &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  if (!colour) return nullptr;
  auto* out = static_cast<std::uint8_t*>(bits);
  int scale = p.width / size;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      // Average of the scale x scale block of the source picture.
      int sum[4] = {0, 0, 0, 0};
      for (int dy = 0; dy < scale; ++dy)
        for (int dx = 0; dx < scale; ++dx) {
          std::size_t at = (static_cast<std::size_t>(y * scale + dy) * p.width + x * scale + dx) * 4;
          for (int k = 0; k < 4; ++k) sum[k] += p.rgba[at + k];
        }
      int n = scale * scale;
      std::uint8_t* px = out + (static_cast<std::size_t>(y) * size + x) * 4;
      px[0] = static_cast<std::uint8_t>(sum[2] / n);
      px[1] = static_cast<std::uint8_t>(sum[1] / n);
      px[2] = static_cast<std::uint8_t>(sum[0] / n);
      px[3] = static_cast<std::uint8_t>(sum[3] / n);
    }
  }
  // An all-zero mask: the alpha channel decides what is transparent.
  std::vector<BYTE> zeros(static_cast<std::size_t>((size + 15) / 16 * 2 * size), 0);
  HBITMAP mask = CreateBitmap(size, size, 1, 1, zeros.data());
  ICONINFO ii{};
  ii.fIcon = TRUE;
  ii.hbmColor = colour;
  ii.hbmMask = mask;
  HICON icon = CreateIconIndirect(&ii);
  DeleteObject(colour);
  DeleteObject(mask);
  return icon;
}

void lay_out_children(HWND h) {
  WinData* d = data(h);
  if (!d) return;
  RECT client;
  GetClientRect(h, &client);
  for (auto& [id, ci] : d->controls) {
    HWND c = GetDlgItem(h, id);
    if (!c) continue;
    if (ci.kind == Kind::StatusBar) SendMessageW(c, WM_SIZE, 0, 0);
    if (ci.kind == Kind::Report) MoveWindow(c, 0, 0, client.right, client.bottom, TRUE);
  }
}

void paint_window(HWND h) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  WinData* d = data(h);
  bool painted = false;
  // Under the test driver the handler paints only when a test asks (paint()).
  if (d && !driven()) {
    d->paint_dc = dc;
    painted = deliver(h, Event{EventKind::Paint});
    if ((d = data(h))) d->paint_dc = nullptr;
  }
  if (!painted) {
    HBRUSH brush = reinterpret_cast<HBRUSH>(GetClassLongPtrW(h, GCLP_HBRBACKGROUND));
    FillRect(dc, &ps.rcPaint, brush ? brush : GetSysColorBrush(COLOR_WINDOW));
  }
  EndPaint(h, &ps);
}

LRESULT CALLBACK window_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
      state().windows[h] = std::move(*static_cast<WinData*>(cs->lpCreateParams));
      break;
    }
    case WM_COMMAND:
      if (handle_command(h, wp, lp)) return 0;
      break;
    case kPostedCommand:
      deliver(h, Event{EventKind::Command, static_cast<int>(wp), static_cast<std::intptr_t>(lp)});
      return 0;
    case WM_TIMER:
      deliver(h, Event{EventKind::Timer, static_cast<int>(wp)});
      return 0;
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (handle_notify(h, lp, &result)) return result;
      break;
    }
    case WM_PAINT:
      paint_window(h);
      return 0;
    case WM_SIZE:
    case WM_DISPLAYCHANGE:
      lay_out_children(h);
      if (WinData* d = data(h); d && d->ready) deliver(h, Event{EventKind::Sized});
      return 0;
    case WM_SETFOCUS:
      // A list window hands the keyboard focus on to its report list.
      if (WinData* d = data(h)) {
        for (const auto& [id, ci] : d->controls)
          if (ci.kind == Kind::Report) {
            SetFocus(GetDlgItem(h, id));
            return 0;
          }
      }
      break;
    case WM_CLOSE:
      close_request(h);
      return 0;
    case WM_DESTROY:
      deliver(h, Event{EventKind::Destroyed});
      return 0;
    case WM_NCDESTROY:
      forget_window(h);
      break;
    default:
      break;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

LRESULT CALLBACK overlay_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
      state().windows[h] = std::move(*static_cast<WinData*>(cs->lpCreateParams));
      break;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      RECT client;
      GetClientRect(h, &client);
      FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
      if (WinData* d = data(h)) {
        std::wstring text = wide(d->overlay_text);
        HGDIOBJ old = SelectObject(dc, d->overlay_font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(255, 0, 0));
        // Measure, then centre the block a little above the middle.
        RECT box = client;
        DrawTextW(dc, text.c_str(), -1, &box, DT_CENTER | DT_WORDBREAK | DT_CALCRECT);
        int height = box.bottom - box.top;
        box.left = client.left;
        box.right = client.right;
        box.top = client.bottom * 2 / 5 - height / 2;
        box.bottom = box.top + height;
        DrawTextW(dc, text.c_str(), -1, &box, DT_CENTER | DT_WORDBREAK);
        SelectObject(dc, old);
      }
      EndPaint(h, &ps);
      return 0;
    }
    case WM_NCDESTROY:
      forget_window(h);
      break;
    default:
      break;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

bool register_class(const wchar_t* name, WNDPROC proc, HBRUSH background) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance();
  wc.hIcon = state().icon_large;
  wc.hIconSm = state().icon_small;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool register_classes();

HWND create_top_level(const char* class_name, WinKind kind, HWND owner, const std::string& title,
                      const Rect& rect, bool default_position, const Handler& handler) {
  if (failing(Failing::CreateWindow)) return nullptr;
  // The classes are registered on first use when the caller did not (tests).
  if (!state().classes_registered && !register_classes()) return nullptr;
  WinData init;
  init.kind = kind;
  init.handler = handler;
  init.name = class_name;
  init.owner = owner;
  std::wstring cls = wide(class_name);
  int x = default_position ? CW_USEDEFAULT : rect.x;
  int y = default_position ? CW_USEDEFAULT : rect.y;
  HWND h = CreateWindowExW(0, cls.c_str(), wide(title).c_str(), WS_OVERLAPPEDWINDOW, x, y,
                           rect.width, rect.height, owner, nullptr, instance(), &init);
  return h;
}

}  // namespace
}  // namespace win32

using namespace win32;

// ---------------------------------------------------------------------------
// Windows

namespace win32 {
namespace {

bool register_classes() {
  State& s = state();
  if (s.classes_registered) return true;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES |
                                           ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  const res::Picture& icon = res::main_icon();
  s.icon_large = make_icon(icon, icon.width);
  s.icon_small = make_icon(icon, icon.width / 2);
  HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  if (!register_class(L"ENROL", window_proc, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)))
    return false;
  for (const char* name : {kListPersons, kListTemplates, kListReaders, kListTemplateDelete,
                           kListDownloadPersons, kListTemplateOnCard}) {
    if (!register_class(wide(name).c_str(), window_proc, white)) return false;
  }
  if (!register_class(kOverlayClass, overlay_proc, white)) return false;
  s.classes_registered = true;
  return true;
}

}  // namespace
}  // namespace win32

bool register_window_classes() {
  if (failing(Failing::RegisterClasses)) return false;
  return register_classes();
}

Window create_main_window(const std::string& title, int width, int height,
                          const Handler& handler) {
  HWND h = create_top_level(kMainClass, WinKind::Main, nullptr, title, Rect{0, 0, width, height},
                            true, handler);
  if (!h) return kNoWindow;
  state().main = h;
  ShowWindow(h, SW_SHOWDEFAULT);
  UpdateWindow(h);
  if (WinData* d = data(h)) d->ready = true;
  return handle(h);
}

Window create_list_window(const char* class_name, Window owner, const std::string& title,
                          const Rect& rect, const Handler& handler) {
  HWND h = create_top_level(class_name, WinKind::List, hwnd(owner), title, rect, false, handler);
  if (!h) return kNoWindow;
  ShowWindow(h, SW_SHOW);
  UpdateWindow(h);
  if (WinData* d = data(h)) d->ready = true;
  return handle(h);
}

Window create_overlay(Window parent, int font_height) {
  if (!data(hwnd(parent))) return kNoWindow;
  WinData init;
  init.kind = WinKind::Overlay;
  init.name = "Overlay";
  init.owner = hwnd(parent);
  init.overlay_font = CreateFontW(font_height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                  ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                  DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Arial");
  RECT client;
  GetClientRect(hwnd(parent), &client);
  HWND h = CreateWindowExW(0, kOverlayClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, client.right,
                           client.bottom, hwnd(parent), nullptr, instance(), &init);
  if (!h) {
    DeleteObject(init.overlay_font);
    return kNoWindow;
  }
  SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  UpdateWindow(h);
  return handle(h);
}

void set_overlay_text(Window overlay, const std::string& text) {
  WinData* d = data(hwnd(overlay));
  if (!d || d->kind != WinKind::Overlay) return;
  d->overlay_text = text;
  if (driven()) driven_overlay_text(text);
  InvalidateRect(hwnd(overlay), nullptr, TRUE);
  UpdateWindow(hwnd(overlay));
}

void destroy_window(Window w) {
  if (data(hwnd(w))) DestroyWindow(hwnd(w));
}

bool window_exists(Window w) { return w != kNoWindow && data(hwnd(w)) && IsWindow(hwnd(w)); }

void enable_window(Window w, bool on) {
  if (data(hwnd(w))) EnableWindow(hwnd(w), on);
}
bool window_enabled(Window w) { return data(hwnd(w)) && IsWindowEnabled(hwnd(w)); }

void show_window(Window w, bool on) {
  if (data(hwnd(w))) ShowWindow(hwnd(w), on ? SW_SHOW : SW_HIDE);
}
bool window_visible(Window w) { return data(hwnd(w)) && IsWindowVisible(hwnd(w)); }

void show_system_menu(Window w, bool on) {
  HWND h = hwnd(w);
  if (!data(h)) return;
  LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE);
  SetWindowLongPtrW(h, GWL_STYLE, on ? style | WS_SYSMENU : style & ~WS_SYSMENU);
  // The frame is drawn again with or without the close box.
  SetWindowPos(h, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

bool system_menu_shown(Window w) {
  HWND h = hwnd(w);
  return data(h) && (GetWindowLongPtrW(h, GWL_STYLE) & WS_SYSMENU);
}

void focus_window(Window w) {
  HWND h = hwnd(w);
  if (!data(h)) return;
  SetForegroundWindow(h);
  SetActiveWindow(h);
  SetFocus(h);
}

void set_title(Window w, const std::string& text) {
  if (data(hwnd(w))) SetWindowTextW(hwnd(w), wide(text).c_str());
}
std::string title(Window w) { return data(hwnd(w)) ? window_text(hwnd(w)) : std::string(); }

Rect window_rect(Window w) {
  RECT r{};
  if (data(hwnd(w))) GetWindowRect(hwnd(w), &r);
  return Rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void move_window(Window w, const Rect& rect) {
  if (data(hwnd(w))) MoveWindow(hwnd(w), rect.x, rect.y, rect.width, rect.height, TRUE);
}

Size client_size(Window w) {
  RECT r{};
  if (data(hwnd(w))) GetClientRect(hwnd(w), &r);
  return Size{r.right, r.bottom};
}

Size screen_size() {
  Size size;
  if (driven() && driven_screen_size(&size)) return size;
  return Size{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

void redraw(Window w) {
  WinData* d = data(hwnd(w));
  if (!d) return;
  ++d->redraws;
  RedrawWindow(hwnd(w), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
}

// ---------------------------------------------------------------------------
// Commands and the message loop

void send_command(Window w, int id, std::intptr_t param) {
  deliver(hwnd(w), Event{EventKind::Command, id, param});
}

void post_command(Window w, int id, std::intptr_t param) {
  if (data(hwnd(w)))
    PostMessageW(hwnd(w), kPostedCommand, static_cast<WPARAM>(id), static_cast<LPARAM>(param));
}

namespace win32 {

// What the loop does with a message before it is dispatched: the Enter rule, the
// open dialog's navigation, then the accelerators. True when it was consumed.
bool pre_translate(MSG& msg) {
  HWND dialog = dialog_holding(msg.hwnd);
  if (dialog && msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN) {
    int focused = focused_id(dialog);
    switch (enter_action(focused)) {
      case EnterAction::PostAction:
        PostMessageW(dialog, kPostedCommand, kIdAction, 0);
        return true;
      case EnterAction::PressFocused:
        SendMessageW(GetDlgItem(dialog, focused), BM_CLICK, 0, 0);
        return true;
      case EnterAction::NextField:
        msg.wParam = VK_TAB;
        break;
    }
  }
  if (dialog && IsDialogMessageW(dialog, &msg)) return true;
  State& s = state();
  if (s.accelerators && s.main && (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN)) {
    std::size_t count = 0;
    const Accelerator* table = res::accel_table(&count);
    int command = accelerator_command(table, count, static_cast<int>(msg.wParam),
                                      IsWindowEnabled(s.main) != FALSE,
                                      [&](int c) { return menu_enabled(handle(s.main), c); });
    if (command != 0 && TranslateAcceleratorW(s.main, s.accelerators, &msg)) return true;
  }
  return false;
}

}  // namespace win32

int run_message_loop(Window) {
  MSG msg{};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (pre_translate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

void post_quit(int code) {
  if (driven())
    driven_quit(code);  // the test's pump goes on; the code is recorded
  else
    PostQuitMessage(code);
}

// ---------------------------------------------------------------------------
// Timers

bool set_timer(Window w, unsigned id, unsigned ms) {
  HWND h = hwnd(w);
  if (!data(h) || failing(Failing::SetTimer)) return false;
  if (driven()) return driven_set_timer(h, id, ms);
  return SetTimer(h, id, ms, nullptr) != 0;
}

bool kill_timer(Window w, unsigned id) {
  HWND h = hwnd(w);
  if (!data(h) || failing(Failing::KillTimer)) return false;
  if (driven()) return driven_kill_timer(h, id);
  return KillTimer(h, id) != FALSE;
}

}  // namespace ui
