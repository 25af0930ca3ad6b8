// Win32 clock: local time, Sleep and the 64-bit tick count, with the virtual
// clock taking over while it is on.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <cstdio>

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

namespace {

SYSTEMTIME system_time(const LocalTime& t) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(t.year);
  st.wMonth = static_cast<WORD>(t.month);
  st.wDay = static_cast<WORD>(t.day);
  st.wDayOfWeek = static_cast<WORD>(t.weekday);
  st.wHour = static_cast<WORD>(t.hour);
  st.wMinute = static_cast<WORD>(t.minute);
  st.wSecond = static_cast<WORD>(t.second);
  st.wMilliseconds = static_cast<WORD>(t.millisecond);
  return st;
}

// A text from GetDateFormatW/GetTimeFormatW (length with the terminating zero)
// in Windows-1252; characters without a Windows-1252 form become "?".
std::string to_cp1252(const wchar_t* text, int length) {
  if (length <= 1) return std::string();
  int bytes = WideCharToMultiByte(1252, 0, text, length - 1, nullptr, 0, "?", nullptr);
  if (bytes <= 0) return std::string();
  std::string out(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(1252, 0, text, length - 1, &out[0], bytes, "?", nullptr);
  return out;
}

}  // namespace

std::string format_short_date(const LocalTime& t) {
  SYSTEMTIME st = system_time(t);
  wchar_t text[80];
  int length = GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, text, 80);
  std::string out = to_cp1252(text, length);
  if (!out.empty()) return out;
  char fixed[40];
  std::snprintf(fixed, sizeof fixed, "%02u.%02u.%04u", t.day, t.month, t.year);
  return fixed;
}

std::string format_time(const LocalTime& t) {
  SYSTEMTIME st = system_time(t);
  wchar_t text[80];
  int length = GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, text, 80);
  std::string out = to_cp1252(text, length);
  if (!out.empty()) return out;
  char fixed[40];
  std::snprintf(fixed, sizeof fixed, "%02u:%02u:%02u", t.hour, t.minute, t.second);
  return fixed;
}

}  // namespace platform
