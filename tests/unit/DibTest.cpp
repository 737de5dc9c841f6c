#include "platform/Dib.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/RuntimeError.h"
#include "support/TestPictures.h"

namespace pixkeeper {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::MakeTestPicture;
using testing::TestPictureNames;

void Set16(Bytes& b, std::size_t at, unsigned v) {
  b[at] = static_cast<std::uint8_t>(v & 0xFF);
  b[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
}

void Set32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF);
}

std::uint32_t Get32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

Bytes Dib(const std::string& name) { return MakeTestPicture(name).dib; }

DibLayout Parse(const Bytes& b) { return ParseDib(b.data(), b.size()); }

void ExpectInvalid(const Bytes& b, const std::string& what) {
  try {
    ParseDib(b.data(), b.size());
    ADD_FAILURE() << what << ": accepted";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), error::kInvalidPicture) << what;
  }
}

Bytes FileOf(const Bytes& dib) {
  const DibLayout l = Parse(dib);
  const auto header = BmpFileHeader(l);
  Bytes file(header.begin(), header.end());
  file.insert(file.end(), dib.begin(), dib.begin() + static_cast<std::ptrdiff_t>(l.totalSize));
  return file;
}

// A V5 header with BI_BITFIELDS, made from the V4 test picture.
Bytes V5Bitfields32() {
  Bytes b = Dib("v4bitfields32");
  Set32(b, 0, 124);
  const Bytes tail = {4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};  // intent, no profile
  b.insert(b.begin() + 108, tail.begin(), tail.end());
  return b;
}

Bytes WithMasksAfterHeader(Bytes b) {
  const Bytes masks(b.begin() + 40, b.begin() + 52);
  b.insert(b.begin() + Get32(b.data()), masks.begin(), masks.end());
  return b;
}

// Appends a profile of `size` bytes and marks it as embedded.
Bytes WithProfile(Bytes b, std::uint32_t size) {
  Set32(b, 56, 0x4D424544);  // 'MBED'
  Set32(b, 112, static_cast<std::uint32_t>(b.size()));
  Set32(b, 116, size);
  for (std::uint32_t i = 0; i < size; ++i) b.push_back(static_cast<std::uint8_t>(i * 7));
  return b;
}

struct ExpectedLayout {
  const char* name;
  std::uint32_t headerSize;
  std::uint16_t bitCount;
  std::uint32_t compression;
  std::uint32_t colorCount;
  std::size_t pixelOffset;
  std::size_t imageSize;  // 0: compressed, the rest of the data
  bool topDown;
};

// 37 x 23 pixels; strides 8, 20, 40, 76, 112 and 148 bytes.
const ExpectedLayout kLayouts[] = {
    {"pal1", 40, 1, 0, 2, 48, 8 * 23, false},
    {"pal4", 40, 4, 0, 16, 104, 20 * 23, false},
    {"pal8", 40, 8, 0, 100, 440, 40 * 23, false},
    {"rgb555", 40, 16, 0, 0, 40, 76 * 23, false},
    {"bitfields565", 40, 16, 3, 0, 52, 76 * 23, false},
    {"rgb24", 40, 24, 0, 0, 40, 112 * 23, false},
    {"rgb32", 40, 32, 0, 0, 40, 148 * 23, false},
    {"bitfields32", 40, 32, 3, 0, 52, 148 * 23, false},
    {"topdown24", 40, 24, 0, 0, 40, 112 * 23, true},
    {"topdown32", 40, 32, 0, 0, 40, 148 * 23, true},
    {"v4bitfields32", 108, 32, 3, 0, 108, 148 * 23, false},
    {"v5rgb24", 124, 24, 0, 0, 124, 112 * 23, false},
    {"rle8", 40, 8, 1, 64, 296, 0, false},
    {"rle4", 40, 4, 2, 16, 104, 0, false},
    {"core8", 12, 8, 0, 256, 780, 40 * 23, false},
    {"core24", 12, 24, 0, 0, 12, 112 * 23, false},
};

TEST(DibLayoutTest, EveryTestPicture) {
  ASSERT_EQ(std::size(kLayouts), TestPictureNames().size());
  for (const ExpectedLayout& e : kLayouts) {
    SCOPED_TRACE(e.name);
    const Bytes dib = Dib(e.name);
    const DibLayout l = Parse(dib);
    EXPECT_EQ(l.headerSize, e.headerSize);
    EXPECT_EQ(l.width, 37);
    EXPECT_EQ(l.height, e.topDown ? -23 : 23);
    EXPECT_EQ(l.topDown(), e.topDown);
    EXPECT_EQ(l.bitCount, e.bitCount);
    EXPECT_EQ(l.compression, e.compression);
    EXPECT_EQ(l.colorCount, e.colorCount);
    EXPECT_EQ(l.pixelOffset, e.pixelOffset);
    EXPECT_EQ(l.imageSize, e.imageSize ? e.imageSize : dib.size() - e.pixelOffset);
    EXPECT_EQ(l.totalSize, dib.size());
  }
}

TEST(DibLayoutTest, StridesPadEveryRowToFourBytes) {
  // width -> bytes per row, for 1, 4, 16 and 24 bits
  EXPECT_EQ(Parse(MakeTestPicture("pal1", 33, 2).dib).imageSize, 2u * 8);
  EXPECT_EQ(Parse(MakeTestPicture("pal4", 9, 3).dib).imageSize, 3u * 8);
  EXPECT_EQ(Parse(MakeTestPicture("rgb555", 3, 1).dib).imageSize, 8u);
  EXPECT_EQ(Parse(MakeTestPicture("rgb24", 1, 5).dib).imageSize, 5u * 4);
}

TEST(DibLayoutTest, OnlyThePictureOfALargerBlockCounts) {
  // The clipboard's memory block may be larger than the DIB inside it.
  for (const std::string& name : TestPictureNames()) {
    SCOPED_TRACE(name);
    Bytes block = Dib(name);
    const std::size_t size = block.size();
    block.resize(size + 61, 0xCD);
    EXPECT_EQ(Parse(block).totalSize, size);
  }
}

TEST(DibLayoutTest, ImageSizeInTheHeaderIsNotTrusted) {
  Bytes b = Dib("rgb24");
  Set32(b, 20, 0);
  EXPECT_EQ(Parse(b).imageSize, 112u * 23);
  Set32(b, 20, 0x7FFFFFFF);  // larger than the data: the computed size counts
  EXPECT_EQ(Parse(b).imageSize, 112u * 23);
  EXPECT_EQ(Parse(b).totalSize, b.size());
  Set32(b, 20, 100);
  EXPECT_EQ(Parse(b).imageSize, 112u * 23);
}

TEST(DibLayoutTest, OptionalColourTableOfDirectColourPictures) {
  Bytes b = Dib("rgb24");
  Set32(b, 32, 3);
  b.insert(b.begin() + 40, 12, 0x55);
  const DibLayout l = Parse(b);
  EXPECT_EQ(l.colorCount, 3u);
  EXPECT_EQ(l.pixelOffset, 52u);
  EXPECT_EQ(l.totalSize, b.size());

  Bytes f = Dib("bitfields32");  // the table follows the masks
  Set32(f, 32, 2);
  f.insert(f.begin() + 52, 8, 0x55);
  EXPECT_EQ(Parse(f).pixelOffset, 60u);
}

TEST(DibLayoutTest, FewerPaletteEntriesThanTheDepthAllows) {
  Bytes b = MakeTestPicture("pal4", 4, 4).dib;  // indices below 12 are not all used,
  Set32(b, 32, 1);                              // but the layout follows the header
  b.erase(b.begin() + 44, b.begin() + 104);
  EXPECT_EQ(Parse(b).pixelOffset, 44u);
  EXPECT_EQ(Parse(b).colorCount, 1u);
}

TEST(DibLayoutTest, MasksInsideTheLargerHeaders) {
  Bytes v2 = Dib("bitfields32");  // 40-byte header + masks read as one 52-byte header
  Set32(v2, 0, 52);
  EXPECT_EQ(Parse(v2).pixelOffset, 52u);
  Bytes v3 = Dib("bitfields32");
  Set32(v3, 0, 56);
  v3.insert(v3.begin() + 52, 4, 0);
  EXPECT_EQ(Parse(v3).pixelOffset, 56u);
  EXPECT_EQ(Parse(V5Bitfields32()).pixelOffset, 124u);
}

TEST(DibLayoutTest, MasksRepeatedAfterAV5Header) {
  const Bytes exact = WithMasksAfterHeader(V5Bitfields32());
  EXPECT_EQ(Parse(exact).pixelOffset, 136u);
  EXPECT_EQ(Parse(exact).totalSize, exact.size());

  Bytes block = exact;  // in a larger block the repeated masks still show it
  block.resize(block.size() + 40, 0);
  EXPECT_EQ(Parse(block).pixelOffset, 136u);
  EXPECT_EQ(Parse(block).totalSize, exact.size());

  Bytes junk = V5Bitfields32();  // larger block, pixels right after the header
  junk.resize(junk.size() + 40, 0);
  EXPECT_EQ(Parse(junk).pixelOffset, 124u);
}

TEST(DibLayoutTest, EmbeddedProfileIsKept) {
  const Bytes b = WithProfile(Dib("v5rgb24"), 48);
  Bytes block = b;
  block.resize(block.size() + 17, 0);
  const DibLayout l = Parse(block);
  EXPECT_EQ(l.pixelOffset, 124u);
  EXPECT_EQ(l.imageSize, 112u * 23);
  EXPECT_EQ(l.totalSize, b.size());

  // With masks repeated after the header too.
  const Bytes both = WithProfile(WithMasksAfterHeader(V5Bitfields32()), 20);
  EXPECT_EQ(Parse(both).pixelOffset, 136u);
  EXPECT_EQ(Parse(both).totalSize, both.size());

  Bytes v4 = Dib("v4bitfields32");  // a V4 header has no profile fields
  Set32(v4, 56, 0x4D424544);
  EXPECT_EQ(Parse(v4).totalSize, v4.size());
}

TEST(DibLayoutTest, CarelessPlanesFieldIsAccepted) {
  Bytes b = Dib("rgb24");
  Set16(b, 12, 0);
  EXPECT_EQ(Parse(b).totalSize, b.size());
}

TEST(DibMalformedTest, EveryTruncation) {
  EXPECT_THROW(ParseDib(nullptr, 0), RuntimeError);
  EXPECT_THROW(ParseDib(nullptr, 1000), RuntimeError);
  for (const std::string& name : TestPictureNames()) {
    const Bytes dib = Dib(name);
    for (std::size_t size = 0; size < dib.size(); ++size) {
      ExpectInvalid(Bytes(dib.begin(), dib.begin() + static_cast<std::ptrdiff_t>(size)),
                    name + " cut to " + std::to_string(size));
    }
  }
}

TEST(DibMalformedTest, HeaderSizes) {
  for (std::uint32_t size : {0u, 4u, 11u, 13u, 39u, 41u, 64u, 100u, 125u, 0xFFFFFFFFu}) {
    Bytes b = Dib("rgb24");
    Set32(b, 0, size);
    ExpectInvalid(b, "header size " + std::to_string(size));
  }
}

TEST(DibMalformedTest, ColourCounts) {
  const struct {
    const char* name;
    std::uint32_t clrUsed;
  } cases[] = {{"pal1", 3}, {"pal4", 17}, {"pal8", 257}, {"rle8", 0x10000},
               {"rgb24", 0x40000000}, {"rgb32", 0xFFFFFFFF}, {"pal8", 0xFFFFFFFF}};
  for (const auto& c : cases) {
    Bytes b = Dib(c.name);
    Set32(b, 32, c.clrUsed);
    ExpectInvalid(b, std::string(c.name) + " colours " + std::to_string(c.clrUsed));
  }
}

TEST(DibMalformedTest, ZeroNegativeAndAbsurdSizes) {
  const std::int32_t widths[] = {0, -1, -37, (1 << 24) + 1, 0x7FFFFFFF,
                                 static_cast<std::int32_t>(0x80000000u)};
  for (std::int32_t w : widths) {
    Bytes b = Dib("rgb24");
    Set32(b, 4, static_cast<std::uint32_t>(w));
    ExpectInvalid(b, "width " + std::to_string(w));
  }
  const std::int32_t heights[] = {0, (1 << 24) + 1, -(1 << 24) - 1, 0x7FFFFFFF,
                                  static_cast<std::int32_t>(0x80000000u)};
  for (std::int32_t h : heights) {
    Bytes b = Dib("rgb24");
    Set32(b, 8, static_cast<std::uint32_t>(h));
    ExpectInvalid(b, "height " + std::to_string(h));
  }
  Bytes core = Dib("core24");
  Set16(core, 4, 0);
  ExpectInvalid(core, "core width 0");
  core = Dib("core24");
  Set16(core, 6, 0);
  ExpectInvalid(core, "core height 0");
}

TEST(DibMalformedTest, WidthTimesHeightOverflow) {
  // Each dimension allowed, but the pixels run to petabytes: with 32-bit
  // arithmetic the size would wrap round to something small.
  const std::uint32_t big = 1u << 24;
  for (const char* name : {"rgb32", "rle8", "pal1"}) {
    Bytes b = Dib(name);
    Set32(b, 4, big);
    Set32(b, 8, big);
    ExpectInvalid(b, std::string(name) + " 2^24 x 2^24");
  }
  Bytes wrap = Dib("rgb32");  // 65536 x 16384 x 4 bytes is 2^32: 0 in 32 bits
  Set32(wrap, 4, 65536);
  Set32(wrap, 8, 16384);
  ExpectInvalid(wrap, "size that wraps to 0");
}

TEST(DibMalformedTest, ImageLargerThanTheData) {
  for (const std::string& name : TestPictureNames()) {
    Bytes b = Dib(name);
    if (Get32(b.data()) == 12) {
      Set16(b, 6, 24);
    } else if (Parse(b).compression == 1 || Parse(b).compression == 2) {
      Set32(b, 20, Get32(b.data() + 20) + 1);
    } else {
      const std::int32_t h = static_cast<std::int32_t>(Get32(b.data() + 8));
      Set32(b, 8, static_cast<std::uint32_t>(h < 0 ? h - 1 : h + 1));
    }
    ExpectInvalid(b, name + " one row more");
  }
}

TEST(DibMalformedTest, BitCountsAndCompressions) {
  for (unsigned bpp : {0u, 2u, 3u, 15u, 31u, 48u, 64u}) {
    Bytes b = Dib("rgb24");
    Set16(b, 14, bpp);
    ExpectInvalid(b, "bit count " + std::to_string(bpp));
  }
  for (unsigned bpp : {16u, 32u}) {
    Bytes core = Dib("core24");
    Set16(core, 10, bpp);
    ExpectInvalid(core, "core header with " + std::to_string(bpp) + " bits");
  }
  // JPEG, PNG, alpha bit fields, CMYK and its RLE forms, nonsense.
  for (std::uint32_t c : {4u, 5u, 6u, 11u, 12u, 13u, 0xFFFFFFFFu}) {
    Bytes b = Dib("rgb32");
    Set32(b, 16, c);
    ExpectInvalid(b, "compression " + std::to_string(c));
  }
  const struct {
    const char* name;
    std::uint32_t compression;
  } mismatched[] = {{"rgb24", 3}, {"pal8", 3}, {"pal4", 1}, {"pal8", 2}, {"rgb24", 1},
                    {"rle8", 2}, {"rle4", 1}};
  for (const auto& m : mismatched) {
    Bytes b = Dib(m.name);
    Set32(b, 16, m.compression);
    ExpectInvalid(b, std::string(m.name) + " as compression " + std::to_string(m.compression));
  }
}

TEST(DibMalformedTest, RunLengthPictures) {
  for (const char* name : {"rle8", "rle4"}) {
    Bytes b = Dib(name);
    Set32(b, 8, static_cast<std::uint32_t>(-23));
    ExpectInvalid(b, std::string(name) + " top-down");
    b = Dib(name);
    Set32(b, 20, 0);
    ExpectInvalid(b, std::string(name) + " without its compressed size");
    b = Dib(name);
    Set32(b, 20, 0xFFFFFFFF);
    ExpectInvalid(b, std::string(name) + " claiming 4 GB");
  }
}

TEST(DibMalformedTest, ProfileOutsideTheData) {
  const Bytes good = WithProfile(Dib("v5rgb24"), 32);
  const std::uint32_t at = Get32(good.data() + 112);
  const struct {
    std::uint32_t offset, size;
  } cases[] = {{at, 33},            // one byte past the end
               {at + 1, 32},        //
               {0xFFFFFFF0, 0x20},  // wraps round in 32 bits
               {at, 0xFFFFFFFF},
               {0, 32},    // inside the header
               {100, 32},  //
               {123, 1}};
  for (const auto& c : cases) {
    Bytes b = good;
    Set32(b, 112, c.offset);
    Set32(b, 116, c.size);
    ExpectInvalid(b, "profile at " + std::to_string(c.offset) + " size " + std::to_string(c.size));
  }
  Bytes linked = good;  // a linked profile's file name is held the same way
  Set32(linked, 56, 0x4C494E4B);
  Set32(linked, 116, 33);
  ExpectInvalid(linked, "linked profile past the end");
}

TEST(BmpFileHeaderTest, Fields) {
  const Bytes dib = Dib("pal8");
  const auto h = BmpFileHeader(Parse(dib));
  const std::uint32_t size = static_cast<std::uint32_t>(14 + dib.size());
  const std::array<std::uint8_t, 14> expected = {
      'B', 'M',
      static_cast<std::uint8_t>(size), static_cast<std::uint8_t>(size >> 8),
      static_cast<std::uint8_t>(size >> 16), 0,
      0, 0, 0, 0,
      14 + 440 - 256, 1, 0, 0};  // 454
  EXPECT_EQ(h, expected);
}

TEST(BmpFileHeaderTest, ByteOrderAndLimits) {
  DibLayout l;
  l.totalSize = 0x12345678;
  l.pixelOffset = 0x00ABCDEF;
  const auto h = BmpFileHeader(l);
  EXPECT_EQ(Get32(h.data() + 2), 0x12345678u + 14);
  EXPECT_EQ(h[2], 0x86);
  EXPECT_EQ(Get32(h.data() + 10), 0x00ABCDEFu + 14);

  l.totalSize = 0xFFFFFFFFu - 14;  // the largest file a BMP can describe
  EXPECT_EQ(Get32(BmpFileHeader(l).data() + 2), 0xFFFFFFFFu);
  if (sizeof(std::size_t) > 4) {
    l.totalSize = static_cast<std::size_t>(0xFFFFFFFFu) - 13;
    EXPECT_THROW(BmpFileHeader(l), RuntimeError);
  }
}

TEST(DibFromBmpFileTest, RoundTripOfEveryTestPicture) {
  for (const std::string& name : TestPictureNames()) {
    SCOPED_TRACE(name);
    const Bytes dib = Dib(name);
    const Bytes file = FileOf(dib);
    EXPECT_EQ(file.size(), dib.size() + 14);
    EXPECT_EQ(DibFromBmpFile(file.data(), file.size()), dib);
    Bytes longer = file;  // trailing bytes and a wrong size field are ignored
    longer.resize(file.size() + 9, 0);
    Set32(longer, 2, 0);
    EXPECT_EQ(DibFromBmpFile(longer.data(), longer.size()), dib);
  }
  for (const Bytes& dib : {WithMasksAfterHeader(V5Bitfields32()),
                           WithProfile(Dib("v5rgb24"), 40)}) {
    const Bytes file = FileOf(dib);
    EXPECT_EQ(DibFromBmpFile(file.data(), file.size()), dib);
  }
}

TEST(DibFromBmpFileTest, GapBeforeThePixelsIsClosed) {
  const Bytes dib = Dib("pal8");
  Bytes file = FileOf(dib);
  file.insert(file.begin() + 14 + 440, 10, 0xEE);
  Set32(file, 10, 14 + 440 + 10);
  EXPECT_EQ(DibFromBmpFile(file.data(), file.size()), dib);
}

TEST(DibFromBmpFileTest, ProfileIsMovedBehindThePixels) {
  // The file keeps the profile between the header and the pixels.
  const Bytes plain = Dib("v5rgb24");
  const Bytes profile = {1, 2, 3, 4, 5, 6, 7, 8};
  Bytes file = FileOf(plain);
  file.insert(file.begin() + 14 + 124, profile.begin(), profile.end());
  Set32(file, 10, 14 + 124 + 8);
  Set32(file, 14 + 56, 0x4D424544);
  Set32(file, 14 + 112, 124);
  Set32(file, 14 + 116, 8);

  const Bytes dib = DibFromBmpFile(file.data(), file.size());
  ASSERT_EQ(dib.size(), plain.size() + 8);
  EXPECT_EQ(Get32(dib.data() + 112), plain.size());
  EXPECT_EQ(Bytes(dib.end() - 8, dib.end()), profile);
  EXPECT_EQ(Bytes(dib.begin() + 124, dib.end() - 8), Bytes(plain.begin() + 124, plain.end()));
}

TEST(DibFromBmpFileTest, MalformedFiles) {
  const Bytes good = FileOf(Dib("pal4"));
  auto expectInvalid = [](const Bytes& f, const std::string& what) {
    try {
      DibFromBmpFile(f.data(), f.size());
      ADD_FAILURE() << what << ": accepted";
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.number(), error::kInvalidPicture) << what;
    }
  };
  EXPECT_THROW(DibFromBmpFile(nullptr, 0), RuntimeError);
  for (std::size_t size = 0; size < good.size(); ++size) {
    expectInvalid(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size)),
                  "cut to " + std::to_string(size));
  }
  Bytes b = good;
  b[0] = 'M';
  b[1] = 'B';
  expectInvalid(b, "no BM");
  for (std::uint32_t off : {0u, 13u, 14u, 14u + 103u, static_cast<std::uint32_t>(good.size()),
                            0xFFFFFFFFu}) {
    b = good;
    Set32(b, 10, off);
    expectInvalid(b, "pixels at " + std::to_string(off));
  }
  b = good;  // pixels later than the file allows for the whole image
  Set32(b, 10, 14 + 104 + 1);
  expectInvalid(b, "pixels shifted past the end");
  b = good;
  Set32(b, 14 + 16, 5);  // a PNG inside a BMP
  expectInvalid(b, "PNG compression");

  Bytes profiled = FileOf(WithProfile(Dib("v5rgb24"), 16));
  Set32(profiled, 14 + 116, 17);
  expectInvalid(profiled, "profile past the end");
}

// An independent decoder reads every file the way the program writes it.
const char kConvert[] = "/usr/bin/convert";

class ImageMagickTest : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    GTEST_SKIP() << "ImageMagick runs on the build machine only";
#endif
    if (!std::filesystem::exists(kConvert)) GTEST_SKIP() << "ImageMagick is not installed";
    dir_ = std::filesystem::temp_directory_path() /
           ("pixkeeper-dib-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  // Writes the DIB as the program does and returns what ImageMagick decodes.
  Bytes Decode(const Bytes& block, const std::string& name) {
    const DibLayout l = Parse(block);
    const auto header = BmpFileHeader(l);
    const std::filesystem::path bmp = dir_ / (name + ".bmp");
    const std::filesystem::path rgb = dir_ / (name + ".rgb");
    {
      std::ofstream out(bmp, std::ios::binary);
      out.write(reinterpret_cast<const char*>(header.data()), header.size());
      out.write(reinterpret_cast<const char*>(block.data()),
                static_cast<std::streamsize>(l.totalSize));
    }
    const std::string command = std::string(kConvert) + " '" + bmp.string() +
                                "' -depth 8 'rgb:" + rgb.string() + "' 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::ifstream in(rgb, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  std::filesystem::path dir_;
};

TEST_F(ImageMagickTest, EveryTestPictureInSeveralSizes) {
  const int sizes[][2] = {{0, 0}, {1, 1}, {2, 3}, {5, 2}, {33, 4}};
  for (const std::string& name : TestPictureNames()) {
    for (const auto& s : sizes) {
      const auto p = MakeTestPicture(name, s[0], s[1]);
      const std::string id = name + "-" + std::to_string(p.width) + "x" + std::to_string(p.height);
      Bytes block = p.dib;
      block.resize(block.size() + 23, 0xAB);  // as from a rounded-up memory block
      EXPECT_EQ(Decode(block, id), p.rgb) << id;
    }
  }
}

TEST_F(ImageMagickTest, RepeatedMasksAndProfiles) {
  const auto plain = MakeTestPicture("v4bitfields32");
  EXPECT_EQ(Decode(WithMasksAfterHeader(V5Bitfields32()), "v5masks"), plain.rgb);
  EXPECT_EQ(Decode(WithProfile(Dib("v5rgb24"), 64), "v5profile"),
            MakeTestPicture("v5rgb24").rgb);
}

}  // namespace
}  // namespace pixkeeper
