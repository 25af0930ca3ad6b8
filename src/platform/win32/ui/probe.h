// Looking at what the Win32 backend put on the screen, for tests: pixels and
// whether a control's text fits it. No <windows.h> here.
#pragma once

#include "platform/ui.h"

namespace ui::win32 {

// The colour of a client pixel of the window as it is shown now.
Colour pixel(Window w, int x, int y);

// The widest line of the control's text in the control's font, and the room the
// control has for it (its client area less the box of a check box or radio
// button, or a button's frame); the same for the height of all lines.
struct TextFit {
  int text_width = 0, room_width = 0;
  int text_height = 0, room_height = 0;
};
TextFit text_fit(Window w, int id);

}  // namespace ui::win32
