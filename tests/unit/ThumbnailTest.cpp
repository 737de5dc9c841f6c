// Small pictures: their size in the box, the averaging, transparency laid on
// the background, and the store that holds them within its block.

#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <vector>

#include "capture/CaptureQueue.h"
#include "capture/ThumbnailSource.h"
#include "fakes/FakePlatform.h"
#include "image/PngWriter.h"
#include "image/Thumbnail.h"
#include "image/ThumbnailStore.h"
#include "support/TestPictures.h"
#include "support/TestPng.h"

namespace pixkeeper {

using Bytes = std::vector<std::uint8_t>;

TEST(Thumbnail, FitsTheBoxKeepingProportionsNeverEnlarged) {
  const PixelSize box{64, 48};
  for (auto [w, h, fw, fh] : {std::tuple{1920u, 1080u, 64, 36}, {1080u, 1920u, 27, 48}, {128u, 96u, 64, 48},
                              {30u, 20u, 30, 20}, {64u, 48u, 64, 48}, {65u, 10u, 64, 10}, {5000u, 3u, 64, 1},
                              {3u, 5000u, 1, 48}, {100u, 75u, 64, 48}, {0u, 10u, 0, 0}}) {
    const PixelSize fit = FitInBox(w, h, box);
    EXPECT_EQ(std::pair(fit.width, fit.height), std::pair(fw, fh)) << w << "x" << h;
  }
  EXPECT_EQ(FitInBox(1920, 1080, {128, 96}).height, 72);  // at 192 DPI
  EXPECT_EQ(FitInBox(10, 10, {0, 0}).width, 0);
}

// Rows of blue, green, red (and alpha) given top-down, or bottom-up when `up`.
static PngRows RowsOf(const Bytes& pixels, std::uint32_t w, std::uint32_t h, unsigned bits, bool up = false) {
  PngRows rows;
  rows.width = w, rows.height = h, rows.bits = bits, rows.alpha = false;
  const std::ptrdiff_t stride = std::ptrdiff_t(pixels.size() / h);
  rows.top = pixels.data() + (up ? (h - 1) * stride : 0);
  rows.step = up ? -stride : stride;
  return rows;
}

static Bytes Pixels(const ThumbnailView& v) { return Bytes(v.pixels, v.pixels + v.bytes()); }

TEST(Thumbnail, AveragesThePixelsEachOneCovers) {
  ThumbnailMaker maker;
  // 3 x 3 grey levels 0, 90, 180 across, into 2 x 2: each small pixel covers
  // one and a half pixels each way; picking pixels would give 0 and 180.
  Bytes grey;
  for (int y = 0; y < 3; ++y) {
    for (std::uint8_t v : {0, 90, 180}) grey.insert(grey.end(), {v, v, v});
    grey.insert(grey.end(), 3, 0);  // rows padded to four bytes
  }
  EXPECT_EQ(Pixels(maker.Make(RowsOf(grey, 3, 3, 24), {2, 2}, 0)),
            (Bytes{30, 30, 30, 0, 150, 150, 150, 0, 30, 30, 30, 0, 150, 150, 150, 0}));
  // Four quadrants of 2 x 2 pixels stay in place, from rows stored either way.
  Bytes quads(4 * 4 * 4);
  const Bytes colours[4] = {{0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}, {0, 255, 255, 0}};
  for (int i = 0; i < 16; ++i) {
    const Bytes& c = colours[(i / 8) * 2 + (i % 4) / 2];
    std::copy(c.begin(), c.end(), quads.begin() + i * 4);
  }
  Bytes expected;
  for (const Bytes& c : colours) expected.insert(expected.end(), c.begin(), c.end());
  EXPECT_EQ(Pixels(maker.Make(RowsOf(quads, 4, 4, 32), {2, 2}, 0)), expected);
  const ThumbnailView up = maker.Make(RowsOf(quads, 4, 4, 32, true), {3, 3}, 0);
  EXPECT_EQ(std::pair(up.width, up.height), std::pair(3, 3));
  EXPECT_EQ(Bytes(up.pixels, up.pixels + 4), colours[2]);  // the bottom row is on top
  // A 1-bit picture of alternate black and white pixels is grey, not stripes.
  Bytes stripes{0xAA, 0, 0, 0};
  PngRows bits = RowsOf(stripes, 8, 1, 1);
  bits.palette = {0, 0, 0, 255, 255, 255};
  EXPECT_EQ(Pixels(maker.Make(bits, {4, 4}, 0)), (Bytes{128, 128, 128, 0, 128, 128, 128, 0, 128, 128, 128, 0, 128, 128, 128, 0}));
}

TEST(Thumbnail, TransparentPixelsLieOnTheBackground) {
  ThumbnailMaker maker;
  // Opaque red, a transparent blue, a half transparent and a transparent
  // black: on white the blue does not show and the black is half grey.
  Bytes pixels{0, 0, 255, 255, 255, 0, 0, 0, 0, 0, 0, 128, 0, 0, 0, 0};
  PngRows rows = RowsOf(pixels, 2, 2, 32);
  rows.alpha = true;
  EXPECT_EQ(Pixels(maker.Make(rows, {1, 1}, 0xFFFFFF)), (Bytes{159, 159, 223, 0}));
  EXPECT_EQ(Pixels(maker.Make(rows, {2, 2}, 0x00FF00)), (Bytes{0, 0, 255, 0, 0, 255, 0, 0, 0, 127, 0, 0, 0, 255, 0, 0}));
}

// Every kind of DIB in a box larger than itself: each pixel as it is, the
// top row first. The kinds the small pictures cannot read show the path only.
TEST(Thumbnail, EveryKindOfPictureAsItShows) {
  FakePlatform platform;
  ThumbnailMaker maker;
  std::string pathOnly;
  for (const std::string& name : testing::TestPictureNames()) {
    const testing::TestPicture picture = testing::MakeTestPicture(name, 5, 3);
    ClipboardPicture taken;
    taken.picture = Picture::Own(picture.dib);
    const ThumbnailView small = ThumbnailOf(platform, maker, taken, {{8, 8}, 0});
    if (small.empty()) {
      pathOnly += name + " ";
      continue;
    }
    Bytes rgb;
    for (std::size_t i = 0; i < small.bytes(); i += 4) rgb.insert(rgb.end(), {small.pixels[i + 2], small.pixels[i + 1], small.pixels[i]});
    EXPECT_EQ(rgb, picture.rgb) << name;
    EXPECT_TRUE(ThumbnailOf(platform, maker, taken, {{0, 0}, 0}).empty());  // the list shows none
  }
  EXPECT_EQ(pathOnly, "rgb555 bitfields565 rle8 rle4 ");
}

// With the mark set, each entry comes with its small picture, a PNG kept as
// it came with that of its decoded pixels; one that does not decode is saved
// and listed all the same.
TEST(Thumbnail, MadeAsEachPictureIsSaved) {
  FakeProgram fake;
  FakePlatform& platform = fake.platform;
  fake.state.BaseDir = L"C:\\S\\", fake.state.FilePrefix = L"P", fake.state.NamingScheme = 1;
  platform.onClipboardChange = [&] { fake.queue.Notice(); };
  const Bytes red = testing::MakeTestPicture("rgb24", 4, 2).dib, blue = testing::MakeTestPicture("pal8", 2, 2).dib;
  platform.Put({8}, red);
  platform.look = {{2, 2}, 0};
  platform.Put({8}, red);
  EXPECT_EQ(platform.thumbnail.size(), 2u * 1 * 4);
  const int png = platform.ClipboardFormatNamed(L"PNG");
  platform.formatData[png] = testing::MakePng(2, 2, 2, testing::StoredZlib({0, 1, 2, 3, 4, 5, 6, 0, 1, 2, 3, 4, 5, 6}));
  platform.checks[OptionItem::SavePng] = true;
  platform.Put({2, 8, png}, red);
  platform.decodedPng = blue;
  platform.Put({2, 8, png}, red);
  const std::string& log = platform.log;
  std::string lists;
  for (std::size_t at = log.find("list:"); at != std::string::npos; at = log.find("list:", at + 1)) {
    lists += log.substr(at, log.find(' ', at) - at) + " ";
  }
  EXPECT_EQ(lists, "list:C:\\S\\P0000.BMP list:C:\\S\\P0001.BMP+2x1 list:C:\\S\\P0002.PNG list:C:\\S\\P0003.PNG+2x2 ");
  std::size_t decoded = 0;
  for (std::size_t at = log.find("decode"); at != std::string::npos; at = log.find("decode", at + 1)) ++decoded;
  EXPECT_EQ(decoded, 2u);  // only the PNGs kept as they came, with the mark set
}

// Pictures of random sizes go in; the newest are always there as they came,
// the oldest go first, and the block is never overrun.
TEST(ThumbnailStore, KeepsTheNewestWithinItsBlock) {
  constexpr std::size_t kCapacity = 1000;
  std::vector<std::uint64_t> block(kCapacity / 8 + 2, 0x5A5A5A5A5A5A5A5Aull);  // a guard word each side
  auto* memory = reinterpret_cast<std::uint8_t*>(block.data() + 1);
  ThumbnailStore store(memory, kCapacity);
  EXPECT_EQ(store.Add({}), 0u);
  Bytes huge(16 * 16 * 4, 1);
  EXPECT_EQ(store.Add({16, 16, huge.data()}), 0u);  // larger than the block

  std::mt19937 random(7);
  std::deque<std::pair<std::uint64_t, Bytes>> added;
  std::uint64_t lastKey = 0;
  for (int n = 0; n < 400; ++n) {
    const int w = int(random() % 6 + 1), h = int(random() % 6 + 1);
    Bytes pixels(std::size_t(w * h * 4));
    for (auto& b : pixels) b = std::uint8_t(random());
    const std::uint64_t key = store.Add({w, h, pixels.data()});
    ASSERT_GT(key, lastKey);
    lastKey = key;
    added.emplace_front(key, pixels);
    // From the newest back: all there until the first one dropped, none after.
    std::size_t kept = 0, keptBytes = 0;
    while (kept < added.size() && !store.Find(added[kept].first).empty()) {
      EXPECT_EQ(Pixels(store.Find(added[kept].first)), added[kept].second);
      keptBytes += (added[kept++].second.size() + 15) / 8 * 8;
    }
    for (std::size_t i = kept; i < added.size(); ++i) EXPECT_TRUE(store.Find(added[i].first).empty());
    // Dropping frees no more than the room the newest needed, and one end
    // of the block left unused.
    EXPECT_LE(keptBytes, kCapacity);
    if (kept < added.size()) {
      EXPECT_GT(keptBytes + 2 * (6 * 6 * 4 + 8), kCapacity);
    }
  }
  EXPECT_EQ(block.front(), 0x5A5A5A5A5A5A5A5Aull);
  EXPECT_EQ(block.back(), 0x5A5A5A5A5A5A5A5Aull);
  EXPECT_TRUE(store.Find(0).empty());
}

}  // namespace pixkeeper
