// The one way the core (store, link, operations) speaks to the operator: a modal
// message box with a caption, buttons and an icon, answering with the button
// pressed. The ui backends show it as a window (win32), record it and answer from
// a script (headless); enroltool prints it and answers from --yes / --no.
#pragma once

#include <cstdint>
#include <string>

namespace ui {

// A window or dialog; 0 is no window.
using Window = std::uintptr_t;
constexpr Window kNoWindow = 0;

// Message-box styles and answers, numerically those of Win32.
enum BoxStyle : unsigned {
  kOk = 0x0,
  kOkCancel = 0x1,
  kYesNoCancel = 0x3,
  kYesNo = 0x4,
  kIconError = 0x10,
  kIconQuestion = 0x20,
  kIconWarning = 0x30,
  kIconInfo = 0x40,
};
enum Answer : int { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

// Shows a modal message box owned by `owner` and returns the button pressed.
int message_box(Window owner, const std::string& text, const std::string& caption,
                unsigned style);

}  // namespace ui
