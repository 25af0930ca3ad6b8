// The test driver's script and records for the Win32 backend (see scripted.cpp).
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
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
  std::uint64_t armed = 0;  // order of arming: timers due together fire in it
};

struct ScriptedFile {
  bool chosen;
  std::string path;
};

struct Scripted {
  bool active = false;  // a test drives the program
  std::uint64_t armed = 0;
  std::map<std::pair<HWND, unsigned>, VirtualTimer> timers;
  std::deque<int> answers;
  std::vector<headless::Box> boxes;
  std::function<void(const headless::Box&)> box_watch;
  std::deque<ScriptedFile> files;
  std::vector<headless::FileDialogShown> file_dialogs;
  std::map<HWND, std::vector<headless::PaintOp>> paint_ops;
  std::map<Failing, std::vector<int>> failures;  // countdowns to the call that fails
  std::vector<std::string> overlay_history;
  int quit_code = -1;  // -1 until post_quit
  Size screen;         // 0 x 0: the real screen
};

Scripted& scripted();

}  // namespace ui::win32
