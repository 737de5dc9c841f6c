#include "base/FormatText.h"

namespace pixkeeper {

namespace {

// Decimal digits of a non-negative value, zero-padded on the left to `width`.
std::wstring PaddedDigits(long long value, std::size_t width) {
  std::wstring digits = std::to_wstring(value);
  if (digits.size() < width) digits.insert(0, width - digits.size(), L'0');
  return digits;
}

}  // namespace

std::wstring FormatMonthDay(const LocalDate& date) {
  return PaddedDigits(date.month, 2) + PaddedDigits(date.day, 2);
}

std::wstring FormatHourMinuteSecond(const LocalTime& time) {
  return PaddedDigits(time.hour, 2) + PaddedDigits(time.minute, 2) + PaddedDigits(time.second, 2);
}

std::wstring FormatRunningNumber(int value) {
  const long long wide = value;  // -INT_MIN does not fit in an int
  const std::wstring sign = wide < 0 ? L"-" : L"";
  return sign + PaddedDigits(wide < 0 ? -wide : wide, 4);
}

}  // namespace pixkeeper
