// PNG files of the program's own encoder, read back by an independent decoder
// (natively; under Wine the end-to-end tests read them back).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>

#include "image/PngWriter.h"
#include "platform/HelperThread.h"
#include "platform/RuntimeError.h"
#include "support/TestPictures.h"

namespace pixkeeper {
namespace {

// The second half of a large picture runs there: one task at a time, its failure reported to the waiter.
TEST(HelperThread, OneTaskAtATimeAndItsFailure) {
  HelperThread helper;
  int ran = 0;
  ASSERT_TRUE(helper.Start([&] { ++ran, throw RuntimeError(error::kOutOfMemory); }));
  EXPECT_FALSE(helper.Start([&] { ran += 10; }));
  EXPECT_THROW(helper.Wait(), RuntimeError);
  ASSERT_TRUE(helper.Start([&] { ++ran; }));
  helper.Wait();
  EXPECT_EQ(ran, 2);
}

#ifndef _WIN32

using Bytes = std::vector<std::uint8_t>;

// The pixels of a PNG file as ImageMagick reads them: red, green, blue, from the top.
Bytes Decoded(const Bytes& png) {
  Bytes rgb;
  const std::string path = ::testing::TempDir() + "pk_encoded.png";
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(png.data()), png.size());
  FILE* pipe = popen(("convert " + path + " -depth 8 RGB:- 2>&1").c_str(), "r");
  for (int c; (c = std::fgetc(pipe)) != EOF;) rgb.push_back(static_cast<std::uint8_t>(c));
  pclose(pipe);
  return rgb;
}

Bytes Encoded(const Bytes& dib) {
  const Picture picture = Picture::Own(dib);
  PngRows rows;
  return PngRowsOf(picture, rows) ? EncodePng(rows) : Bytes();
}

// A top-down DIB with `colours` greys in its table, its pixels all 0.
Bytes TopDown(int bits, int width, int height, std::uint32_t colours) {
  Bytes dib(40 + 4 * colours + (width * bits + 31) / 32 * 4 * height);
  testing::Set32(dib, 0, 40), testing::Set32(dib, 4, width), testing::Set32(dib, 8, static_cast<std::uint32_t>(-height));
  testing::Set32(dib, 12, 1 | bits << 16), testing::Set32(dib, 32, colours);
  for (std::uint32_t i = 0; i < colours; ++i) testing::Set32(dib, 40 + 4 * i, i * 0x010101);
  return dib;
}

TEST(PngWriter, DecodedPixelForPixel) {
  // Every kind the encoder takes as stored, odd-sized and large enough to be coded in two halves.
  for (const std::string& name : testing::TestPictureNames()) {
    const testing::TestPicture p = testing::MakeTestPicture(name, 701, 520);
    const Bytes png = Encoded(p.dib);
    if (!png.empty()) {
      EXPECT_TRUE(Decoded(png) == p.rgb) << name;
    }
  }
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

#endif

}  // namespace
}  // namespace pixkeeper
