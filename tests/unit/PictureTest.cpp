// Pictures that own their bytes or borrow them under a lease, and integers.

#include "platform/Picture.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "fakes/FakePlatform.h"
#include "platform/Integer.h"
#include "support/TestPictures.h"

// Allocations of at least this many bytes fail while it is not 0.
static std::size_t g_failAllocationsFrom = 0;

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(std::size_t size) {
  void* p = g_failAllocationsFrom != 0 && size >= g_failAllocationsFrom ? nullptr : std::malloc(size ? size : 1);
  return p ? p : throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace pixkeeper {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct CountingLease : PictureLease {
  explicit CountingLease(int& releases) : releases_(releases) {}
  ~CountingLease() override { ++releases_; }
  int& releases_;
};

Bytes Of(const Picture& p) { return Bytes(p.data(), p.data() + p.layout().totalSize); }

TEST(Picture, OwnedAndBorrowedBytes) {
  const Bytes dib = testing::MakeTestPicture("topdown24").dib;
  Bytes source = dib;
  source.resize(dib.size() + 4000, 0xEE);  // the clipboard's block is larger
  Picture owned = Picture::Own(source), moved;
  moved = std::move(owned);
  EXPECT_TRUE(owned.empty() && !moved.borrowed() && Of(moved) == dib);  // NOLINT(bugprone-use-after-move)
  EXPECT_EQ(ErrorOf([] { Picture::Own({}); }), 481);
  int releases = 0;
  const auto lease = [&] { return std::make_unique<CountingLease>(releases); };
  {
    Picture p = Picture::Borrow(source.data(), source.size(), lease());
    Picture q = std::move(p);  // the lease goes along
    Picture& same = q;
    q = std::move(same);  // moving onto itself changes nothing
    EXPECT_TRUE(q.borrowed() && q.data() == source.data() && releases == 0);
    q = Picture();  // emptying gives the bytes back
    q = Picture::Borrow(source.data(), source.size(), lease());
    q = Picture::Own(dib);  // and so does replacing
    q = Picture::Borrow(source.data(), source.size(), lease());
    EXPECT_EQ(ErrorOf([&] { Picture::Borrow(source.data(), 100, lease()); }), 481);
    EXPECT_EQ(releases, 3);  // a refused picture gives them back at once
    // Running out of memory while detaching leaves the picture as it was.
    g_failAllocationsFrom = 1000;
    EXPECT_EQ(ErrorOf([&] { q.Detach(); }), 7);
    g_failAllocationsFrom = 0;
    EXPECT_TRUE(q.borrowed() && q.data() == source.data() && releases == 3);
    q.Detach();  // a copy of the picture alone, and the bytes given back
    EXPECT_TRUE(!q.borrowed() && q.data() != source.data() && releases == 4);
    std::fill(source.begin(), source.end(), 0);
    EXPECT_EQ(Of(q), dib);
    p = Picture::Borrow(dib.data(), dib.size(), lease());
  }
  EXPECT_EQ(releases, 5);  // and so does destruction
  const Picture copy = Picture::Borrow(dib.data(), dib.size(), nullptr);  // without a lease: a copy
  EXPECT_TRUE(!copy.borrowed() && copy.data() != dib.data() && Of(copy) == dib);
}

TEST(Integer, SumsAndTexts) {
  EXPECT_EQ(AddInteger(32766, 1), 32767);
  EXPECT_EQ(AddInteger(-32767, -1), -32768);
  for (auto [a, b] : {std::pair<Integer, Integer>{32767, 1}, {-32768, -1}, {20000, 20000}}) {
    EXPECT_EQ(ErrorOf([a = a, b = b] { AddInteger(a, b); }), 6) << a << " + " << b;
  }
  // Blanks around, a sign, digits and a fraction rounded half to even; the
  // rest is error 13 (given as -13), numbers past the range error 6 (-6).
  const std::pair<const wchar_t*, int> texts[] = {
      {L"0", 0}, {L"0012", 12}, {L"  37 \t", 37}, {L"+5", 5}, {L"-1", -1}, {L"32767", 32767}, {L"-32768", -32768},
      {L"2.5", 2}, {L"3.5", 4}, {L"2.51", 3}, {L"2.4999", 2}, {L"-2.5", -2}, {L"-3.5", -4}, {L".5", 0}, {L"7.", 7},
      {L"32767.4", 32767}, {L"", -13}, {L"   ", -13}, {L"12a", -13}, {L"1 2", -13}, {L"+", -13}, {L".", -13},
      {L"--1", -13}, {L"1.2.3", -13}, {L"0x10", -13}, {L"1e3", -13}, {L"１２", -13}, {L"- 1", -13},
      {L"99999999999999999999x", -13}, {L"32768", -6}, {L"-32769", -6}, {L"32767.5", -6},
      {L"99999999999999999999", -6}, {L"-99999999999999999999.9", -6}};
  for (auto [text, expected] : texts) {
    int got = 0;
    const int error = ErrorOf([&, text = text] { got = TextToInteger(text); });
    EXPECT_EQ(error ? -error : got, expected) << ::testing::PrintToString(std::wstring(text));
  }
  EXPECT_EQ(TextToInteger(L"1" + std::wstring(127, L' ')), 1);
}

}  // namespace
}  // namespace pixkeeper
