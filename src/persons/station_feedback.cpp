#include "persons/station_feedback.h"

#include "link/link.h"
#include "platform/clock.h"

namespace persons {
namespace {

constexpr std::uint64_t kRepaintEveryMs = 200;
constexpr std::uint32_t kPauseStepMs = 100;

}  // namespace

void Overlay::show(res::TextId prompt) {
  if (overlay_ == ui::kNoWindow) overlay_ = ui::create_overlay(list_, height_);
  if (overlay_ != ui::kNoWindow) ui::set_overlay_text(overlay_, res::text(prompt));
}

void Overlay::hide() {
  if (overlay_ != ui::kNoWindow && ui::window_exists(overlay_)) ui::destroy_window(overlay_);
  overlay_ = ui::kNoWindow;
}

StationWait::StationWait(std::function<void()> repaint) {
  std::function<void()>& hook = rlink::state().between_polls;
  previous_ = hook;
  std::uint64_t last = platform::tick_ms();
  hook = [repaint, last]() mutable {
    const std::uint64_t now = platform::tick_ms();
    if (now - last < kRepaintEveryMs) return;
    last = now;
    repaint();
  };
}

StationWait::~StationWait() { rlink::state().between_polls = previous_; }

void pause_repainting(ui::Window w, std::uint32_t ms) {
  for (std::uint32_t waited = 0; waited < ms; waited += kPauseStepMs) {
    platform::sleep_ms(kPauseStepMs);
    if (ui::window_exists(w)) ui::redraw(w);
  }
}

}  // namespace persons
