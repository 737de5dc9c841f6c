#include "base/Integer.h"

#include <cstddef>

#include "base/RuntimeError.h"

namespace pixkeeper {

namespace {

constexpr long kMin = -32768;
constexpr long kMax = 32767;
// Any magnitude past this is out of range whatever follows; capping the
// accumulator there keeps it from overflowing on very long digit strings.
constexpr long kMagnitudeCap = 100000;

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

Integer Checked(long value) {
  if (value < kMin || value > kMax) throw RuntimeError(error::kOverflow);
  return static_cast<Integer>(value);
}

}  // namespace

Integer AddInteger(Integer a, Integer b) { return Checked(static_cast<long>(a) + b); }

Integer TextToInteger(std::wstring_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  const std::wstring_view number = text.substr(begin, end - begin);

  std::size_t i = 0;
  bool negative = false;
  if (i < number.size() && (number[i] == L'+' || number[i] == L'-')) {
    negative = number[i] == L'-';
    ++i;
  }

  long magnitude = 0;
  std::size_t digits = 0;
  for (; i < number.size() && IsDigit(number[i]); ++i, ++digits) {
    magnitude = magnitude * 10 + (number[i] - L'0');
    if (magnitude > kMagnitudeCap) magnitude = kMagnitudeCap;
  }

  // The fraction decides only the rounding: its first digit against 5, and on
  // an exact half whether any later digit is non-zero.
  int firstFractionDigit = 0;
  bool restNonZero = false;
  if (i < number.size() && number[i] == L'.') {
    ++i;
    for (std::size_t place = 0; i < number.size() && IsDigit(number[i]); ++i, ++place, ++digits) {
      if (place == 0) {
        firstFractionDigit = number[i] - L'0';
      } else if (number[i] != L'0') {
        restNonZero = true;
      }
    }
  }

  if (digits == 0 || i != number.size()) throw RuntimeError(error::kTypeMismatch);

  const bool roundUp = firstFractionDigit > 5 ||
                       (firstFractionDigit == 5 && (restNonZero || magnitude % 2 == 1));
  if (roundUp) ++magnitude;
  return Checked(negative ? -magnitude : magnitude);
}

std::wstring IntegerText(Integer value) { return std::to_wstring(static_cast<int>(value)); }

}  // namespace pixkeeper
