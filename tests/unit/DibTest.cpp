// Reading DIBs from outside, the BMP file that goes around them, pictures that
// own their bytes or borrow them under a lease, and integers.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "base/Integer.h"
#include "fakes/FakePlatform.h"
#include "image/Dib.h"
#include "image/Picture.h"
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

using namespace testing;
using Bytes = std::vector<std::uint8_t>;

static Bytes FileOf(const Bytes& dib) {
  const auto header = BmpFileHeader(ParseDib(dib.data(), dib.size()));
  Bytes file(header.begin(), header.end());
  return file.insert(file.end(), dib.begin(), dib.end()), file;
}

// The test pictures, and 32-bit V5 pictures with bit fields: plain, with the
// masks after the header, a profile after the pixels, or both; "name.bmp" is
// the picture as a BMP file.
static Bytes Dib(const std::string& name) {
  if (name.size() > 4 && name.substr(name.size() - 4) == ".bmp") return FileOf(Dib(name.substr(0, name.size() - 4)));
  if (name == "v5plain" || name == "v5masks") return V5Picture(name == "v5masks", 0);
  if (name == "v5profile" || name == "v5both") return V5Picture(name == "v5both", 32);
  return MakeTestPicture(name).dib;
}

// "pixel-offset total-size " of a DIB, or of a BMP file's DIB when `file`; or "refused".
static std::string Layout(const Bytes& b, bool file = false) {
  DibLayout l;
  const auto read = [&](const Bytes& dib) { l = ParseDib(dib.data(), dib.size()); };
  if (ErrorOf([&] { read(file ? DibFromBmpFile(b.data(), b.size()) : b); }) != 0) return "refused";
  return std::to_string(l.pixelOffset) + " " + std::to_string(l.totalSize) + " ";
}

// A field set to each value in turn, after an optional second field; the
// pixel offset then expected, 0 when the picture is refused.
const struct Edit {  // padding: bytes after the picture
  const char* name; std::size_t at; std::vector<std::uint32_t> values;
  std::size_t pixelOffset = 0, at2 = 0; std::uint32_t value2 = 0; std::size_t padding = 0;
} kEdits[] = {
    // The image size is computed, the planes field ignored, masks read inside
    // 52-byte headers and after V5 headers, a V4 header has no profile.
    {"rgb24", 20, {0, 100, 0x7FFFFFFF}, 40}, {"rgb24", 12, {24 << 16}, 40}, {"bitfields32", 0, {52}, 52},
    {"v4bitfields32", 56, {0x4D424544}, 108}, {"v5masks", 0, {124}, 136}, {"v5masks", 0, {124}, 136, 0, 0, 40},
    {"v5plain", 0, {124}, 124, 0, 0, 40}, {"v5profile", 0, {124}, 124, 0, 0, 17}, {"v5both", 0, {124}, 136},
    // Header sizes, widths, heights, one row more than the data holds, sizes
    // past 32 bits (65536 x 16384 x 4 is 0 in 32 bits).
    {"rgb24", 0, {0, 4, 11, 13, 39, 41, 64, 100, 125, 0xFFFFFFFF}, 0, 0, 0, 99},
    {"rgb24", 4, {0, 0xFFFFFFFF, 0xFFFFFFDB, (1 << 24) + 1, 0x7FFFFFFF, 0x80000000}},
    {"rgb24", 8, {0, 24, (1 << 24) + 1, 0xFEFFFFFF, 0x7FFFFFFF, 0x80000000}}, {"core24", 4, {23 << 16, 37}},
    {"pal1", 8, {24}}, {"rgb555", 8, {24}}, {"topdown32", 8, {0xFFFFFFE8}}, {"core8", 4, {37 | 24 << 16}},
    {"rle8", 20, {1751}}, {"rle4", 20, {1751}}, {"rgb32", 4, {65536}, 0, 8, 16384},
    {"rle8", 4, {1 << 24}, 0, 8, 1 << 24},
    // Bit counts, compressions, colour counts; run-length pictures are
    // bottom-up only and must give their size.
    {"rgb24", 14, {0, 2, 3, 15, 31, 48, 64}}, {"core24", 8, {1 | 16 << 16, 1 | 32 << 16}},
    {"rgb32", 16, {4, 5, 6, 11, 12, 13, 0xFFFFFFFF}}, {"rgb24", 16, {1, 3}, 0, 0, 0, 12}, {"pal8", 16, {2, 3}},
    {"pal4", 16, {1}}, {"rle8", 16, {2}}, {"rle4", 16, {1}}, {"pal1", 32, {3}, 0, 0, 0, 12},
    {"pal4", 32, {17}, 0, 0, 0, 4}, {"pal8", 32, {257, 0xFFFFFFFF}}, {"rle8", 32, {0x10000}},
    {"rgb24", 32, {3, 0x40000000}}, {"bitfields32", 32, {2}}, {"rle8", 8, {0xFFFFFFE9}},
    {"rle8", 20, {0, 0xFFFFFFFF}}, {"rle4", 8, {0xFFFFFFE9}}, {"rle4", 20, {0}},
    // Profiles (offset, size) past the data, over the header or the pixels;
    // a linked profile's name is held the same way.
    {"v5profile", 112, {3528}, 0, 116, 33}, {"v5profile", 112, {0xFFFFFFF0}, 0, 116, 0x20},
    {"v5profile", 112, {0, 100, 3527}, 0, 116, 32}, {"v5profile", 56, {0x4C494E4B}, 0, 116, 33},
    // Files: not "BM", the pixels before the end of the colour table or past
    // the end, a PNG inside, profiles past the end or over the header or pixels.
    {"pal4.bmp", 0, {'B' << 8 | 'M', 'B' | 'N' << 8}}, {"pal4.bmp", 10, {0, 13, 14, 117, 119, 578, 0xFFFFFFFF}},
    {"pal4.bmp", 30, {5}}, {"v5profile.bmp", 130, {33}}, {"v5profile.bmp", 126, {0, 100, 124, 3527}},
};

TEST(Dib, EditedHeaders) {
  for (const Edit& e : kEdits) {
    for (const std::uint32_t value : e.values) {
      Bytes b = Dib(e.name);
      const std::size_t size = b.size();
      if (e.at2 != 0) Set32(b, e.at2, e.value2);
      Set32(b, e.at, value);
      b.resize(size + e.padding, 0);
      const std::string expected =
          e.pixelOffset ? std::to_string(e.pixelOffset) + " " + std::to_string(size) + " " : "refused";
      EXPECT_EQ(Layout(b, std::strstr(e.name, ".bmp")), expected) << e.name << " at " << e.at << " = " << value;
    }
  }
}

// BMP files: the file header's size and pixel offset (past 32 bits the file
// cannot be written), and the DIB read back out of a file.
TEST(Dib, BmpFiles) {
  DibLayout l;
  l.totalSize = 0xFFFFFFFFu - 14, l.pixelOffset = 0x00ABCDEF;  // the largest file a BMP can describe
  const auto h = BmpFileHeader(l);
  EXPECT_EQ(Bytes(h.begin(), h.end()), (Bytes{'B', 'M', 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0xFD, 0xCD, 0xAB, 0}));
  l.totalSize += 1;
  EXPECT_EQ(ErrorOf([&] { BmpFileHeader(l); }), 481);
  std::vector<std::string> names = TestPictureNames();
  names.insert(names.end(), {"v5masks", "v5both"});
  for (const std::string& name : names) {
    const Bytes dib = Dib(name);
    Bytes file = FileOf(dib);
    file.resize(file.size() + 9, 0);  // trailing bytes and a wrong size field are ignored
    Set32(file, 2, 0);
    EXPECT_EQ(DibFromBmpFile(file.data(), file.size()), dib) << name;
  }
  EXPECT_EQ(ErrorOf([] { ParseDib(nullptr, 1000); }), 481);
  Bytes withTable = Dib("rgb24");  // a colour table after a header of direct colours is passed over
  Set32(withTable, 32, 2), withTable.insert(withTable.begin() + 40, 8, 0);
  EXPECT_EQ(Layout(withTable), "48 " + std::to_string(withTable.size()) + " ");
  // A gap between the colour table and the pixels is closed; a profile kept
  // between the header and the pixels moves behind them.
  const Bytes pal8 = Dib("pal8"), profiled = V5Picture(false, 8);
  Bytes gap = FileOf(pal8), file = FileOf(profiled);
  gap.insert(gap.begin() + 14 + 440, 10, 0xEE);
  Set32(gap, 10, 14 + 440 + 10);
  EXPECT_EQ(DibFromBmpFile(gap.data(), gap.size()), pal8);
  std::rotate(file.begin() + 14 + 124, file.end() - 8, file.end());
  Set32(file, 10, 14 + 124 + 8), Set32(file, 14 + 112, 124);
  EXPECT_EQ(DibFromBmpFile(file.data(), file.size()), profiled);

  // Refused: every test picture cut short, as a DIB and as a file.
  for (const std::string& name : TestPictureNames()) {
    const Bytes dib = Dib(name), whole = FileOf(dib);
    for (std::size_t cut = 1; cut <= whole.size(); ++cut) {  // bytes cut off the end
      ASSERT_EQ(Layout(Bytes(whole.begin(), whole.end() - cut), true), "refused") << name;
      ASSERT_EQ(Layout(Bytes(dib.begin(), dib.end() - std::min(cut, dib.size()))), "refused") << name;
    }
  }
}

static Bytes Of(const Picture& p) { return Bytes(p.data(), p.data() + p.layout().totalSize); }

TEST(Picture, OwnedAndBorrowedBytes) {
  const Bytes dib = testing::MakeTestPicture("topdown24").dib;
  Bytes source = dib;
  source.resize(dib.size() + 4000, 0xEE);  // the clipboard's block is larger
  Picture owned = Picture::Own(source), moved;
  moved = std::move(owned);
  EXPECT_TRUE(owned.empty() && !moved.borrowed() && Of(moved) == dib);  // NOLINT(bugprone-use-after-move)
  EXPECT_EQ(ErrorOf([] { Picture::Own({}); }), 481);
  int releases = 0;
  const auto lease = [&] { return std::make_unique<Lease>(nullptr, &releases); };
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
  EXPECT_EQ(std::make_pair(AddInteger(32766, 1), AddInteger(-32767, -1)), (std::pair<Integer, Integer>(32767, -32768)));
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

}  // namespace pixkeeper
