#pragma once
// The few formatting patterns the program uses.

#include <string>

namespace pixkeeper {

struct LocalDate {
  int year = 2000;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
};

struct LocalTime {
  int hour = 0;  // 0..23
  int minute = 0;
  int second = 0;
};

// "mmdd": month and day, two digits each.
std::wstring FormatMonthDay(const LocalDate& date);
// "hhmmss": 24-hour clock, two digits each.
std::wstring FormatHourMinuteSecond(const LocalTime& time);
// "0000": at least four digits, zero-padded, the sign in front.
std::wstring FormatRunningNumber(int value);

}  // namespace pixkeeper
