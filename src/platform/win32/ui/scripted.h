// The test driver's script and records for the Win32 backend (see scripted.cpp).
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/headless/driver.h"
#include "platform/win32/ui/state.h"

namespace ui::win32 {

struct VirtualTimer {
  unsigned interval = 0;
  std::uint64_t due = 0;
};

struct ScriptedFile {
  bool chosen;
  std::string path;
};

struct Scripted {
  bool active = false;  // a test drives the program
  std::uint64_t now = 0;  // virtual milliseconds
  std::map<std::pair<HWND, unsigned>, VirtualTimer> timers;
  std::deque<int> answers;
  std::vector<headless::Box> boxes;
  std::deque<ScriptedFile> files;
  std::vector<headless::FileDialogShown> file_dialogs;
  std::map<HWND, std::vector<headless::PaintOp>> paint_ops;
  std::map<Failing, std::vector<int>> failures;  // countdowns to the call that fails
};

Scripted& scripted();

}  // namespace ui::win32
