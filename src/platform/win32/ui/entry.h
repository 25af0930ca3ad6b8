// What the Windows program's entry needs from the system, without <windows.h>.
#pragma once

#include <string>

namespace ui::win32 {

// The command line after the program's name, as WinMain receives it
// (Windows-1252).
std::string command_tail();
// The show state the program was started with (SW_SHOWDEFAULT when none).
int show_state();

}  // namespace ui::win32
