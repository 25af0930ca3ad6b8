// What a list window shows while the enrol station keeps the thread busy: the
// overlay with the operator's prompts, and the repainting during the station's
// waits (a capture, a keypad entry, a transponder looked for) and the pauses
// between prompts.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/ui.h"
#include "resources/catalogue.h"

namespace persons {

// The overlay over a list window: red prompts in Arial of the given height.
// It is made at the first prompt and removed by hide() or the destructor.
class Overlay {
 public:
  Overlay(ui::Window list, int height) : list_(list), height_(height) {}
  ~Overlay() { hide(); }
  Overlay(const Overlay&) = delete;
  Overlay& operator=(const Overlay&) = delete;
  void show(res::TextId prompt);
  void hide();

 private:
  ui::Window list_;
  int height_;
  ui::Window overlay_ = ui::kNoWindow;
};

// While it lives, the link calls `repaint` now and then between the polls of a
// station wait; the hook it replaced comes back afterwards.
class StationWait {
 public:
  explicit StationWait(std::function<void()> repaint);
  ~StationWait();
  StationWait(const StationWait&) = delete;
  StationWait& operator=(const StationWait&) = delete;

 private:
  std::function<void()> previous_;
};

// Waits `ms` milliseconds, repainting `w` (while it exists) now and then.
void pause_repainting(ui::Window w, std::uint32_t ms);

}  // namespace persons
