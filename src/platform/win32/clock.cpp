// Win32 clock: local time, Sleep and the 64-bit tick count, with the virtual
// clock taking over while it is on.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "platform/clock.h"
#include "platform/vclock_state.h"

namespace platform {

LocalTime local_time() {
  if (vclock::enabled()) return vclock::now();
  SYSTEMTIME st;
  GetLocalTime(&st);
  LocalTime t;
  t.year = st.wYear;
  t.month = st.wMonth;
  t.day = st.wDay;
  t.hour = st.wHour;
  t.minute = st.wMinute;
  t.second = st.wSecond;
  t.millisecond = st.wMilliseconds;
  t.weekday = st.wDayOfWeek;
  return t;
}

void sleep_ms(std::uint32_t ms) {
  if (vclock::enabled()) {
    vclock::advance(ms);
    return;
  }
  Sleep(ms);
}

std::uint64_t tick_ms() {
  if (vclock::enabled()) return vclock::elapsed();
  return GetTickCount64();
}

}  // namespace platform
