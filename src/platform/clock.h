// Local time, sleeping and a monotonic tick, with a virtual clock for tests:
// while the virtual clock is on, sleep_ms returns at once and advances it.
#pragma once

#include <cstdint>
#include <string>

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

// The date and the time of `t` as the user reads them, in Windows-1252: on
// Windows the user's default short date format and default time format; on
// other systems (and should Windows reject the value) dd.mm.yyyy and hh:mm:ss.
std::string format_short_date(const LocalTime& t);
std::string format_time(const LocalTime& t);

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
