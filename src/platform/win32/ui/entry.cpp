#include "platform/win32/ui/entry.h"

#include <windows.h>

#include "platform/win32/ui/state.h"

namespace ui::win32 {

std::string command_tail() {
  const wchar_t* p = GetCommandLineW();
  // The program's name: quoted, or up to the first blank.
  if (*p == L'"') {
    ++p;
    while (*p && *p != L'"') ++p;
    if (*p) ++p;
  } else {
    while (*p && *p != L' ' && *p != L'\t') ++p;
  }
  while (*p == L' ' || *p == L'\t') ++p;
  return narrow(p);
}

int show_state() {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  GetStartupInfoW(&si);
  return (si.dwFlags & STARTF_USESHOWWINDOW) ? si.wShowWindow : SW_SHOWDEFAULT;
}

}  // namespace ui::win32
