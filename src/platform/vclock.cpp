// The virtual clock shared by both backends' clock.cpp.
#include "platform/vclock_state.h"

#include <atomic>
#include <mutex>

namespace platform::vclock {
namespace {
std::atomic<bool> g_on{false};
std::atomic<std::uint64_t> g_elapsed{0};
std::mutex g_mutex;
LocalTime g_start;
}  // namespace

void enable(const LocalTime& start) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_start = start;
  g_elapsed = 0;
  g_on = true;
}
void disable() { g_on = false; }
bool enabled() { return g_on; }
void advance(std::uint64_t ms) { g_elapsed += ms; }
std::uint64_t elapsed() { return g_elapsed; }

LocalTime now() {
  LocalTime t;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    t = g_start;
  }
  std::uint64_t ms = t.millisecond + g_elapsed.load();
  t.millisecond = static_cast<unsigned>(ms % 1000);
  std::uint64_t s = t.second + ms / 1000;
  t.second = static_cast<unsigned>(s % 60);
  std::uint64_t m = t.minute + s / 60;
  t.minute = static_cast<unsigned>(m % 60);
  std::uint64_t h = t.hour + m / 60;
  t.hour = static_cast<unsigned>(h % 24);
  // Days roll over without month arithmetic: tests keep virtual runs short of that.
  t.day += static_cast<unsigned>(h / 24);
  return t;
}

}  // namespace platform::vclock
