#include <gtest/gtest.h>

#include <string>

#include "platform/Integer.h"
#include "platform/RuntimeError.h"

namespace pixkeeper {
namespace {

int ErrorOf(const std::wstring& text) {
  try {
    TextToInteger(text);
  } catch (const RuntimeError& e) {
    return e.number();
  }
  return 0;
}

TEST(AddInteger, RaisesOverflowOnlyPastTheSixteenBitRange) {
  EXPECT_EQ(AddInteger(32766, 1), 32767);
  EXPECT_EQ(AddInteger(-32767, -1), -32768);
  EXPECT_EQ(AddInteger(-32768, 32767), -1);
  for (auto [a, b] : {std::pair<Integer, Integer>{32767, 1}, {-32768, -1}, {20000, 20000}}) {
    try {
      AddInteger(a, b);
      ADD_FAILURE() << a << " + " << b << " did not raise";
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.number(), error::kOverflow);
    }
  }
}

TEST(TextToInteger, AcceptsSignedDecimalsWithBlanksAround) {
  EXPECT_EQ(TextToInteger(L"0"), 0);
  EXPECT_EQ(TextToInteger(L"0012"), 12);
  EXPECT_EQ(TextToInteger(L"  37 \t"), 37);
  EXPECT_EQ(TextToInteger(L"+5"), 5);
  EXPECT_EQ(TextToInteger(L"-1"), -1);
  EXPECT_EQ(TextToInteger(L"32767"), 32767);
  EXPECT_EQ(TextToInteger(L"-32768"), -32768);
  // What a fixed-width field would have held: the number and trailing blanks.
  EXPECT_EQ(TextToInteger(L"1" + std::wstring(127, L' ')), 1);
}

TEST(TextToInteger, RoundsFractionsHalfToEven) {
  EXPECT_EQ(TextToInteger(L"2.5"), 2);
  EXPECT_EQ(TextToInteger(L"3.5"), 4);
  EXPECT_EQ(TextToInteger(L"2.51"), 3);
  EXPECT_EQ(TextToInteger(L"2.4999"), 2);
  EXPECT_EQ(TextToInteger(L"-2.5"), -2);
  EXPECT_EQ(TextToInteger(L"-3.5"), -4);
  EXPECT_EQ(TextToInteger(L"0.5"), 0);
  EXPECT_EQ(TextToInteger(L".5"), 0);
  EXPECT_EQ(TextToInteger(L"7."), 7);
  EXPECT_EQ(TextToInteger(L"32767.4"), 32767);
}

TEST(TextToInteger, AnythingElseIsATypeMismatch) {
  for (const wchar_t* text : {L"", L"   ", L"\t", L"12a", L"1 2", L"+", L"-", L".", L"+.",
                              L"--1", L"1.2.3", L"0x10", L"1e3", L"abc", L"１２", L"- 1"}) {
    EXPECT_EQ(ErrorOf(text), error::kTypeMismatch) << text;
  }
}

TEST(TextToInteger, NumbersOutsideTheRangeOverflow) {
  for (const wchar_t* text : {L"32768", L"-32769", L"40000", L"-40000", L"32767.5",
                              L"99999999999999999999", L"-99999999999999999999.9"}) {
    EXPECT_EQ(ErrorOf(text), error::kOverflow);
  }
  // A long number that is no number is still a mismatch, not an overflow.
  EXPECT_EQ(ErrorOf(L"99999999999999999999x"), error::kTypeMismatch);
}

}  // namespace
}  // namespace pixkeeper
