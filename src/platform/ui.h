// The ui layer: what the views need of a windowing system, and nothing more.
// Texts passed in and out are Windows-1252 bytes; the backends convert at their
// boundary. Backends: win32 (real windows) and headless (in memory, scripted).
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

// Shows a modal message box and returns the button pressed.
int message_box(Window owner, const std::string& text, const std::string& caption,
                unsigned style);

}  // namespace ui
