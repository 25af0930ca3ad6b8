#include "platform/win32/ui/probe.h"

#include <windows.h>

#include <algorithm>

#include "platform/win32/ui/state.h"

namespace ui::win32 {

Colour pixel(Window w, int x, int y) {
  HWND h = hwnd(w);
  if (!data(h)) return Colour{};
  HDC dc = GetDC(h);
  COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(h, dc);
  return rgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

TextFit text_fit(Window w, int id) {
  TextFit fit;
  HWND c = control(w, id);
  ControlInfo* ci = info(hwnd(w), id);
  if (!c || !ci) return fit;
  std::wstring text = wide(window_text(c));
  HDC dc = GetDC(c);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(c, WM_GETFONT, 0, 0)));
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  int lines = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str() + start, static_cast<int>(end - start), &size);
    fit.text_width = std::max(fit.text_width, static_cast<int>(size.cx));
    ++lines;
    start = end + 1;
  }
  SelectObject(dc, old);
  ReleaseDC(c, dc);
  fit.text_height = lines * tm.tmHeight;
  RECT r;
  GetClientRect(c, &r);
  fit.room_width = r.right;
  fit.room_height = r.bottom;
  switch (ci->kind) {
    case Kind::CheckBox:
    case Kind::Radio:
      // The box and the gap after it.
      fit.room_width -= GetSystemMetrics(SM_CXMENUCHECK) + GetSystemMetrics(SM_CXEDGE) * 2;
      break;
    case Kind::Button:
    case Kind::ColourButton:
      fit.room_width -= GetSystemMetrics(SM_CXEDGE) * 4;
      fit.room_height -= GetSystemMetrics(SM_CYEDGE) * 2;
      break;
    case Kind::Group:
      fit.room_width -= tm.tmAveCharWidth * 2;  // the frame line before and after the title
      fit.text_height = tm.tmHeight;
      break;
    default:
      break;
  }
  return fit;
}

}  // namespace ui::win32
