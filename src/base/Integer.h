#pragma once
// The 16-bit signed Integer of every counter and flag, with the runtime's rules:
// arithmetic past its range raises error 6, text that is no number error 13.

#include <cstdint>
#include <string>
#include <string_view>

namespace pixkeeper {

using Integer = std::int16_t;

constexpr Integer kTrue = -1;
constexpr Integer kFalse = 0;

// a + b, or RuntimeError 6 when the sum leaves -32768..32767.
Integer AddInteger(Integer a, Integer b);

// Text to Integer: blanks around the number are ignored; an optional sign,
// digits and an optional fraction (rounded half to even) are accepted.
// Not a number (empty and all-blank included): error 13. Out of range: error 6.
Integer TextToInteger(std::wstring_view text);

// Plain decimal text: "0", "7", "-3".
std::wstring IntegerText(Integer value);

}  // namespace pixkeeper
