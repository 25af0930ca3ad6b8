// Date and time texts for the status bar.
#include <gtest/gtest.h>

#include "platform/clock.h"

namespace {

platform::LocalTime at(unsigned year, unsigned month, unsigned day, unsigned hour,
                       unsigned minute, unsigned second) {
  platform::LocalTime t;
  t.year = year;
  t.month = month;
  t.day = day;
  t.hour = hour;
  t.minute = minute;
  t.second = second;
  return t;
}

#ifdef _WIN32
bool holds(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}
#endif

}  // namespace

TEST(ClockFormat, DateAndTimeOfAValidMoment) {
  platform::LocalTime t = at(2026, 12, 7, 9, 5, 3);
  t.weekday = 1;
  std::string date = platform::format_short_date(t);
  std::string time = platform::format_time(t);
#ifdef _WIN32
  // The user's formats vary; every short date names the month and the year
  // (two or four digits), every time format the minutes and seconds.
  EXPECT_TRUE(holds(date, "12")) << date;
  EXPECT_TRUE(holds(date, "26")) << date;
  EXPECT_TRUE(holds(time, "05")) << time;
  EXPECT_TRUE(holds(time, "03")) << time;
#else
  EXPECT_EQ("07.12.2026", date);
  EXPECT_EQ("09:05:03", time);
#endif
  EXPECT_EQ(std::string::npos, date.find('\0'));
  EXPECT_EQ(std::string::npos, time.find('\0'));
}

TEST(ClockFormat, ValueTheSystemRejectsFallsBackToFixedForm) {
  platform::LocalTime t = at(2026, 13, 40, 25, 61, 70);
  EXPECT_EQ("40.13.2026", platform::format_short_date(t));
  EXPECT_EQ("25:61:70", platform::format_time(t));
}
