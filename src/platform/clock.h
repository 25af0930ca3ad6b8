// Local time, sleeping and a monotonic tick, with a virtual clock for tests:
// while the virtual clock is on, sleep_ms returns at once and advances it.
#pragma once

#include <cstdint>

namespace platform {

struct LocalTime {
  unsigned year = 0, month = 0, day = 0;
  unsigned hour = 0, minute = 0, second = 0, millisecond = 0;
  unsigned weekday = 0;  // 0 = Sunday
};

LocalTime local_time();
void sleep_ms(std::uint32_t ms);
// Milliseconds from an arbitrary start; never goes backwards.
std::uint64_t tick_ms();

namespace vclock {
// Switches the virtual clock on, starting at `start`. The tick starts at 0.
void enable(const LocalTime& start);
void disable();
bool enabled();
void advance(std::uint64_t ms);
// Milliseconds slept (or advanced) since enable().
std::uint64_t elapsed();
}  // namespace vclock

}  // namespace platform
