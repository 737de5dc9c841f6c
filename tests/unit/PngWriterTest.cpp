// PNG files of the program's own encoder, read back by an independent decoder
// (natively; under Wine the end-to-end tests read them back).

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <random>
#include <thread>

#ifndef _WIN32
#include <unistd.h>
#include <zlib.h>
#endif

#include "base/RuntimeError.h"
#include "image/ChecksumKinds.h"
#include "image/Checksums.h"
#include "image/CpuFeatures.h"
#include "image/Deflate.h"
#include "image/Png.h"
#include "image/PngFilters.h"
#include "image/PngWriter.h"
#include "support/TestPictures.h"

namespace pixkeeper {
namespace {

#ifndef _WIN32

using Bytes = std::vector<std::uint8_t>;

// The pixels of a PNG file as ImageMagick reads them: red, green, blue (and
// alpha, given "RGBA"), from the top.
Bytes Decoded(const Bytes& png, const std::string& channels = "RGB") {
  Bytes rgb;
  // A file of this process's own: test runs of other builds share the folder.
  std::string path = ::testing::TempDir() + "pk_encoded_XXXXXX";
  close(mkstemp(&path[0]));
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(png.data()), png.size());
  FILE* pipe = popen(("convert png:" + path + " -depth 8 " + channels + ":- 2>&1").c_str(), "r");
  for (int c; (c = std::fgetc(pipe)) != EOF;) rgb.push_back(static_cast<std::uint8_t>(c));
  pclose(pipe);
  std::remove(path.c_str());
  return rgb;
}

// Into `sink` when given.
Bytes Encoded(const Bytes& dib, PngSink* sink = nullptr) {
  const Picture picture = Picture::Own(dib);
  PngRows rows;
  if (!PngRowsOf(picture, rows)) return Bytes();
  return sink ? EncodePng(rows, *sink), Bytes() : EncodePng(rows);
}

// A top-down DIB with `colours` greys in its table, its pixels all 0.
Bytes TopDown(int bits, int width, int height, std::uint32_t colours) {
  Bytes dib(40 + 4 * colours + (width * bits + 31) / 32 * 4 * height);
  testing::Set32(dib, 0, 40), testing::Set32(dib, 4, width), testing::Set32(dib, 8, static_cast<std::uint32_t>(-height));
  testing::Set32(dib, 12, 1 | bits << 16), testing::Set32(dib, 32, colours);
  for (std::uint32_t i = 0; i < colours; ++i) testing::Set32(dib, 40 + 4 * i, i * 0x010101);
  return dib;
}

// Check sums over every length around the steps the fast ways take, from
// odd addresses, carried on from earlier bytes, as zlib works them out.
TEST(Checksums, AsZlibWorksThemOut) {
  std::minstd_rand random(3);
  Bytes bytes(70000);
  for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>(random());
  const bool clmul = Crc32ClmulBuilt() && CpuHasClmul();
  for (const std::size_t size : {0, 1, 15, 16, 17, 63, 64, 65, 79, 127, 128, 129, 1000, 5551, 5552, 5553, 11104, 65536, 69990}) {
    for (const std::size_t offset : {0, 1, 7}) {
      const std::uint8_t* p = bytes.data() + offset;
      const std::uint32_t crc = 0x12345678, adler = 0x0ABC0DEF;
      EXPECT_EQ(Crc32Tables(p, size, crc), crc32(crc, p, static_cast<uInt>(size))) << size;
      if (clmul) {
        EXPECT_EQ(Crc32Clmul(p, size, crc), crc32(crc, p, static_cast<uInt>(size))) << size;
      }
      EXPECT_EQ(Adler32(p, size, adler), adler32(adler, p, static_cast<uInt>(size))) << size;
    }
  }
  // All 255s, the most each sum can gain per byte.
  const Bytes full(70000, 255);
  EXPECT_EQ(Adler32(full.data(), full.size()), adler32(1, full.data(), static_cast<uInt>(full.size())));
}

TEST(PngWriter, DecodedPixelForPixel) {
  // Every kind the encoder takes as stored, odd-sized and large enough to be coded in two halves; with
  // the processor's newer instructions and without them.
  for (const bool baseline : {false, true}) {
    UseBaselineOnly(baseline);
    for (const std::string& name : testing::TestPictureNames()) {
      const testing::TestPicture p = testing::MakeTestPicture(name, 701, 520);
      const Bytes png = Encoded(p.dib);
      if (!png.empty()) {
        EXPECT_TRUE(Decoded(png) == p.rgb) << name << (baseline ? ", baseline" : "");
      }
    }
  }
  UseBaselineOnly(false);
  // Thin stripes, where each half's first row is best coded from the row above it.
  Bytes stripes = TopDown(24, 1000, 350, 0);
  for (std::size_t at = 40; at < stripes.size(); at += 12) std::fill_n(stripes.begin() + at, 3, 20);
  const Bytes png = Encoded(stripes);
  EXPECT_TRUE(Decoded(png) == Bytes(stripes.begin() + 40, stripes.end()));
  EXPECT_LT(png.size(), stripes.size() / 200) << "rows repeated, all in runs";
  // Palette indices reach the coder unfiltered: a skewed mix whose codes must be cut to 15 bits, runs of
  // every length up to 600, then noise that only stored blocks hold; indices past the table are black.
  Bytes grey = TopDown(8, 1000, 1400, 200), expected;
  std::uint8_t *const first = grey.data() + 840, *const noise = first + 700000, *index = first;
  unsigned seed = 7, fibonacci[25] = {1, 1};
  for (int k = 2; k < 25; ++k) fibonacci[k] = fibonacci[k - 1] + fibonacci[k - 2];
  for (std::uint8_t k = 0; k < 25; ++k) index = std::fill_n(index, fibonacci[k], k);
  std::shuffle(first, index, std::minstd_rand(seed));
  for (std::size_t run = 1; index < noise; run = run % 600 + 1) {
    index = std::fill_n(index, std::min<std::size_t>(run, noise - index), static_cast<std::uint8_t>(run * 37));
  }
  for (; index < grey.data() + grey.size(); ++index) *index = static_cast<std::uint8_t>((seed = seed * 1103515245u + 12345u) >> 24);
  for (index = first; index < grey.data() + grey.size(); ++index) expected.insert(expected.end(), 3, *index < 200 ? *index : 0);
  EXPECT_TRUE(Decoded(Encoded(grey)) == expected);
}

// A sink that fails partway, written to by either thread: the failure comes
// out of the encoder, and the next picture is encoded whole.
TEST(PngWriter, ASinkFailingPartwayStopsBothThreads) {
  struct Failing final : PngSink {
    std::size_t left = 30000;  // a few stripes in
    void Write(const std::uint8_t*, std::size_t size) override { left = size > left ? throw RuntimeError(61) : left - size; }
  } sink;
  const testing::TestPicture p = testing::MakeTestPicture("rgb24", 1500, 1000);
  EXPECT_THROW(Encoded(p.dib, &sink), RuntimeError);
  EXPECT_TRUE(Decoded(Encoded(p.dib)) == p.rgb);
}

// A sink slower than the coding: the thread that has coded the stripe ahead
// waits longer than it spins, sleeps, and is woken when the stripe above it
// is in the file.
TEST(PngWriter, AThreadWaitingLongOnTheFileSleepsAndWakes) {
  struct Slow final : PngSink {
    Bytes bytes;
    void Write(const std::uint8_t* data, std::size_t size) override {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      bytes.insert(bytes.end(), data, data + size);
    }
  } sink;
  const testing::TestPicture p = testing::MakeTestPicture("rgb24", 1500, 1000);
  Encoded(p.dib, &sink);
  EXPECT_TRUE(Decoded(sink.bytes) == p.rgb);
}

// A top-down 32-bit picture whose pixel (x, y) is colour(x, y) (alpha
// highest, red, green, blue lowest): with an alpha mask in a V5 header when
// `alpha`, else a plain header, its fourth bytes unused.
template <typename Colour>
Bytes Picture32(int width, int height, bool alpha, Colour colour) {
  const std::uint32_t header = alpha ? 124 : 40;
  Bytes dib(header + 4u * width * height);
  testing::Set32(dib, 0, header), testing::Set32(dib, 4, width), testing::Set32(dib, 8, static_cast<std::uint32_t>(-height));
  testing::Set32(dib, 12, 1 | 32 << 16), testing::Set32(dib, 16, alpha ? 3 : 0);
  if (alpha) testing::Set32(dib, 40, 0xFF0000), testing::Set32(dib, 44, 0xFF00), testing::Set32(dib, 48, 0xFF), testing::Set32(dib, 52, 0xFF000000);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) testing::Set32(dib, header + 4u * (y * width + x), colour(x, y));
  }
  return dib;
}

// Red, green, blue and alpha of every pixel, from the top, as a PNG reader gives them.
Bytes Rgba(const Bytes& dib, bool alpha) {
  const std::size_t header = dib[0];
  Bytes rgba;
  for (std::size_t at = header; at + 4 <= dib.size(); at += 4) {
    rgba.insert(rgba.end(), {dib[at + 2], dib[at + 1], dib[at], alpha ? dib[at + 3] : std::uint8_t{255}});
  }
  return rgba;
}

TEST(PngWriter, SmallestFormThatKeepsEveryPixel) {
  // Palette indices of as few bits as the colours need, up to 256 colours, alpha among them; grey levels
  // when there are more than 16 of them; else red, green and blue, with alpha where the picture has it.
  // The colour type and bit depth of each, and the pixels read back.
  const auto grey = [](std::uint32_t level) { return level * 0x010101u; };
  struct Row { const char* name; bool alpha; std::function<std::uint32_t(int, int)> colour; int type, depth; } rows[] = {
      {"two colours", false, [](int x, int y) { return (x + y) % 3 ? 0xFFFFFFu : 0x102030u; }, 3, 1},
      {"four colours", false, [](int x, int y) { return 0x400000u * ((x * y) % 4); }, 3, 2},
      {"sixteen greys", false, [&](int x, int y) { return grey(17u * ((x + 2 * y) % 16)); }, 3, 4},
      {"256 colours", false, [](int x, int y) { const std::uint32_t i = (x * 7 + y * 13) % 256; return i << 16 | (255 - i) << 8 | i / 2; }, 3, 8},
      {"257 colours", false, [](int x, int y) { const std::uint32_t i = (x * 7 + y * 13) % 257; return i << 8 | i / 3; }, 2, 8},
      {"blue as green", false, [](int x, int y) { const std::uint32_t i = (x + y) % 100; return i << 16 | (i / 2) * 0x101; }, 3, 8},
      {"grey levels", false, [&](int x, int y) { return grey((x * 3 + y * 5) % 200u); }, 0, 8},
      {"soft shadow", true, [](int x, int y) { return (0x80u + (x + y) % 64) << 24 | 0x203040u; }, 3, 8},
      {"soft and coloured", true, [](int x, int y) { return (0x90u + (x ^ y) % 100) << 24 | (x * 40503u + y * 9u) % 0xFFFFFFu; }, 6, 8},
      {"grey and soft", true, [&](int x, int y) { return (0x10u + (x + y) % 0xE0) << 24 | grey((x * y) % 255u); }, 4, 8},
      {"cut-out", true, [](int x, int y) { return x > y ? 0xFF0000FFu : 0u; }, 3, 1}};
  for (const Row& row : rows) {
    const Bytes dib = Picture32(61, 37, row.alpha, row.colour);
    const Bytes png = Encoded(dib);
    ASSERT_GT(png.size(), 26u) << row.name;
    EXPECT_EQ(png[25], row.type) << row.name;
    EXPECT_EQ(png[24], row.depth) << row.name;
    EXPECT_TRUE(Decoded(png, "RGBA") == Rgba(dib, row.alpha)) << row.name;
  }
  // A picture taken from a PNG keeps soft alpha as its 32 bits, none of it fully transparent.
  const Bytes soft = Picture32(5, 3, true, [](int x, int) { return (0x20u + 0x30u * x) << 24 | 0x112233u; });
  Bytes topDownBgra(soft.begin() + 124, soft.end());
  const Picture fromPng = Picture::Own(DibFromBgra({5, 3}, topDownBgra.data()));
  EXPECT_EQ(fromPng.layout().bitCount, 32);
  EXPECT_EQ(fromPng.layout().alphaMask, 0xFF000000u);
  EXPECT_TRUE(Decoded(Encoded(Bytes(fromPng.data(), fromPng.data() + fromPng.layout().totalSize)), "RGBA") == Rgba(soft, true));
}

// Rows of noise in eight levels a channel (more colours than a palette holds)
// that repeat every few rows: their matches lie a few kilobytes back, behind
// many shorter ones of the same first bytes. Below the photo-like noise of
// `noiseRows` rows that do not repeat, which must not leave them unsearched.
TEST(PngWriter, RowsRepeatingRowsApartCodeSmall) {
  for (const int noiseRows : {0, 200}) {
    const int width = 300, height = noiseRows + 400, period = 4;
    const Bytes dib = Picture32(width, height, false, [&](int x, int y) {
      const std::uint32_t row = static_cast<std::uint32_t>(y < noiseRows ? y + 1000 : y % period);
      std::uint32_t h = (row * 7919u + static_cast<std::uint32_t>(x)) * 2654435761u;
      h ^= h >> 15, h *= 2246822519u, h ^= h >> 13;
      return h & 0xE0E0E0u;
    });
    const Bytes png = Encoded(dib);
    Bytes rgb = Rgba(dib, false);
    for (std::size_t i = 0, j = 0; i < rgb.size(); i += 4, j += 3) std::copy_n(rgb.begin() + i, 3, rgb.begin() + j);
    rgb.resize(rgb.size() / 4 * 3);
    EXPECT_TRUE(Decoded(png) == rgb);
    // Three bits a byte for the noise, a little more where its filters spread it.
    const std::size_t noise = std::size_t{3} * width * noiseRows * 3 / 8 * 6 / 5, repeated = std::size_t{3} * width * 400;
    EXPECT_LT(png.size(), noise + repeated / 8) << noiseRows << " rows of noise above";
  }
}

// Rows made so that one filter predicts every byte exactly (Sub up to a
// constant step) below a row of noise: that filter is chosen, and its bytes
// give the row back through the standard's own inverse.
TEST(PngFilters, ChoosesTheFilterThatPredictsTheRow) {
  const std::size_t pixel = 3, bytes = 3 * 400;
  std::minstd_rand random(7);
  Bytes above(bytes);
  for (std::uint8_t& b : above) b = static_cast<std::uint8_t>(random());
  const auto predicted = [&](int filter, const Bytes& row, std::size_t i) {
    const int a = i >= pixel ? row[i - pixel] : 0, b = above[i];
    const int byFilter[] = {0, a, b, (a + b) / 2};
    return byFilter[filter];
  };
  for (const int filter : {1, 2, 3}) {
    Bytes row(bytes), out(bytes + 1), back(bytes);
    for (std::size_t i = 0; i < bytes; ++i) row[i] = static_cast<std::uint8_t>(predicted(filter, row, i) + (filter == 1 ? 5 : 0));
    FilterRow(row.data(), above.data(), bytes, pixel, out.data());
    ASSERT_EQ(out[0], filter);
    for (std::size_t i = 0; i < bytes; ++i) back[i] = static_cast<std::uint8_t>(out[i + 1] + predicted(filter, back, i));
    EXPECT_TRUE(back == row) << "filter " << filter;
  }
}

// Raw deflate data inflated by zlib; empty when it is not a whole stream.
Bytes Inflated(const Bytes& stream, std::size_t size) {
  Bytes out(size + 1);
  z_stream z{};
  inflateInit2(&z, -15);
  z.next_in = const_cast<Bytef*>(stream.data()), z.avail_in = static_cast<uInt>(stream.size());
  z.next_out = out.data(), z.avail_out = static_cast<uInt>(out.size());
  const int result = inflate(&z, Z_FINISH);
  out.resize(z.total_out);
  inflateEnd(&z);
  return result == Z_STREAM_END ? out : Bytes();
}

// A megabyte of text: glyphs of 96 bytes drawn from 40 at random, coded in
// several blocks whose matches reach back into earlier ones; then its last
// 50 KB again by a second writer, whose matches reach into the first's bytes.
TEST(Deflate, MatchesReachBackAcrossBlocksAndWriters) {
  std::minstd_rand random(5);
  Bytes glyphs(40 * 96), text;
  for (std::uint8_t& b : glyphs) b = static_cast<std::uint8_t>(random());
  while (text.size() < (1u << 20)) {
    const std::size_t g = random() % 40 * 96;
    text.insert(text.end(), glyphs.begin() + g, glyphs.begin() + g + 96);
  }
  Bytes stream;
  DeflateWriter first(stream);
  first.Write(text.data(), text.size());
  first.Finish(false);
  const std::size_t firstSize = stream.size();
  DeflateWriter second(stream);
  second.Preset(text.data(), text.size());
  second.Write(text.data() + text.size() - 50000, 50000);
  second.Finish(true);
  Bytes twice = text;
  twice.insert(twice.end(), text.end() - 50000, text.end());
  EXPECT_TRUE(Inflated(stream, twice.size()) == twice);
  EXPECT_LT(firstSize, 48000u) << "each block sent the glyphs again";
  EXPECT_LT(stream.size() - firstSize, 2000u) << "the second writer sent the glyphs again";
}

// A writer going on from 32 KB coded by another, whose own bytes repeat them
// 20 KB back: its first probe must see that far, and the search after it
// every position there.
TEST(Deflate, MatchesReachFarIntoTheBytesBefore) {
  std::minstd_rand random(9);
  Bytes both(32768 + 60000);
  for (std::size_t i = 0; i < both.size(); ++i) both[i] = static_cast<std::uint8_t>(i < 32768 ? random() : both[i - 20000]);
  Bytes stream;
  DeflateWriter first(stream);
  first.Write(both.data(), 32768);
  first.Finish(false);
  const std::size_t firstSize = stream.size();
  DeflateWriter second(stream);
  second.Preset(both.data(), 32768);
  second.Write(both.data() + 32768, 60000);
  second.Finish(true);
  EXPECT_TRUE(Inflated(stream, both.size()) == both);
  EXPECT_LT(stream.size() - firstSize, 800u);
}

#endif

}  // namespace
}  // namespace pixkeeper
