#include <cstdio>
#include <ctime>
#include <time.h>

#include "platform/clock.h"
#include "platform/vclock_state.h"

namespace platform {

LocalTime local_time() {
  if (vclock::enabled()) return vclock::now();
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  std::tm tm{};
  localtime_r(&ts.tv_sec, &tm);
  LocalTime t;
  t.year = static_cast<unsigned>(tm.tm_year + 1900);
  t.month = static_cast<unsigned>(tm.tm_mon + 1);
  t.day = static_cast<unsigned>(tm.tm_mday);
  t.hour = static_cast<unsigned>(tm.tm_hour);
  t.minute = static_cast<unsigned>(tm.tm_min);
  t.second = static_cast<unsigned>(tm.tm_sec);
  t.millisecond = static_cast<unsigned>(ts.tv_nsec / 1000000);
  t.weekday = static_cast<unsigned>(tm.tm_wday);
  return t;
}

void sleep_ms(std::uint32_t ms) {
  if (vclock::enabled()) {
    vclock::advance(ms);
    return;
  }
  timespec req{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&req, &req) != 0) {
  }
}

std::uint64_t tick_ms() {
  if (vclock::enabled()) return vclock::elapsed();
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
         static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
}

std::string format_short_date(const LocalTime& t) {
  char text[40];
  std::snprintf(text, sizeof text, "%02u.%02u.%04u", t.day, t.month, t.year);
  return text;
}

std::string format_time(const LocalTime& t) {
  char text[40];
  std::snprintf(text, sizeof text, "%02u:%02u:%02u", t.hour, t.minute, t.second);
  return text;
}

}  // namespace platform
