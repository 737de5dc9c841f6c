// Which clipboard form becomes the picture (text, privacy markers, alpha,
// PNG), and what is checked of PNG bytes before decoding.

#include <gtest/gtest.h>

#include "capture/PictureSource.h"
#include "fakes/FakePlatform.h"
#include "image/Png.h"
#include "support/TestPictures.h"
#include "support/TestPng.h"

namespace pixkeeper {

using Bytes = std::vector<std::uint8_t>;

// A 32-bit V5 picture with this alpha mask whose first pixel's alpha is
// `first`, every other one's `rest`.
Bytes AlphaV5(std::uint8_t first, std::uint8_t rest, std::uint32_t mask = 0xFF000000) {
  Bytes dib = testing::V5Picture(false, 0);
  testing::Set32(dib, 52, mask);
  for (std::size_t at = 124 + 3; at < dib.size(); at += 4) dib[at] = at == 127 ? first : rest;
  return dib;
}

TEST(PictureForms, TheFormTakenOrNone) {
  const Bytes plain = testing::MakeTestPicture("rgb24").dib, png = testing::MakeTestPicture("pal8").dib;
  // The formats offered, the DIB with alpha and the history number given, and the form taken: "", "plain",
  // "v5" or "png". Text or a privacy marker allows nothing; an unreadable history number neither.
  struct Row { std::set<std::string> offered; Bytes v5, number; const char* taken; } rows[] = {
      {{"2", "8"}, {}, {}, "plain"}, {{"8", "PNG"}, {}, {}, "plain"}, {{"PNG"}, {}, {}, "png"},
      {{"1", "PNG"}, {}, {}, ""}, {{"1", "2", "17"}, AlphaV5(0, 0x80), {}, ""}, {{}, {}, {}, ""},
      // A DIB with alpha when partly transparent (a soft shadow, nowhere fully clear) or a cut-out shape, not
      // when made of the plain one by the system, never filled in, opaque, without an alpha mask or malformed.
      {{"2", "8", "17"}, AlphaV5(0, 0x80), {}, "v5"}, {{"2", "17"}, AlphaV5(0x80, 0xC0), {}, "v5"}, {{"2", "8", "17made"}, AlphaV5(0, 0x80), {}, "plain"},
      {{"8", "17"}, AlphaV5(0xFF, 0), {}, "v5"}, {{"2", "17"}, AlphaV5(0, 0), {}, "plain"},
      {{"2", "17"}, AlphaV5(0xFF, 0xFF), {}, "plain"}, {{"2", "17"}, AlphaV5(0, 0x80, 0), {}, "plain"},
      {{"2", "17"}, Bytes(30, 1), {}, "plain"}, {{"2", "Exclude"}, {}, {}, ""}, {{"PNG", "Ignore"}, {}, {}, ""},
      {{"2", "History"}, {}, {0, 0, 0, 0}, ""}, {{"2", "History"}, {}, {1, 0}, ""},
      {{"2", "History"}, {}, {1, 0, 0, 0}, "plain"}};
  for (const Row& row : rows) {
    FakePlatform platform;
    const auto named = [&](const wchar_t* name) { return platform.ClipboardFormatNamed(name); };
    const std::map<std::string, int> numbers = {{"Exclude", named(L"ExcludeClipboardContentFromMonitorProcessing")},
        {"Ignore", named(L"Clipboard Viewer Ignore")}, {"History", named(L"CanIncludeInClipboardHistory")},
        {"PNG", named(L"PNG")}};
    std::set<int> formats;
    for (const std::string& f : row.offered) formats.insert(numbers.count(f) ? numbers.at(f) : std::stoi(f));
    // A DIB with alpha put by the program comes first, one made by the system last.
    platform.formatOrder.assign(formats.begin(), formats.end());
    if (row.offered.count("17")) std::rotate(platform.formatOrder.begin(), platform.formatOrder.end() - 1, platform.formatOrder.end());
    platform.formatData = {{17, row.v5}, {numbers.at("PNG"), png}, {numbers.at("History"), row.number}};
    platform.Put(formats, plain);
    ClipboardPicture taken = TakeClipboardPicture(platform);
    const Bytes got(taken.picture.data(), taken.picture.data() + (taken.picture.empty() ? 0 : taken.picture.layout().totalSize));
    const std::string which = got.empty() ? "" : got == plain ? "plain" : got == png ? "png" : got == row.v5 ? "v5" : "?";
    EXPECT_EQ(which, row.taken) << platform.log;
  }
  // Text that another program adds while the picture is read counts too.
  FakePlatform platform;
  platform.onGet = [&] { platform.clipboardFormats.insert(1); };
  platform.Put({8}, plain);
  EXPECT_TRUE(TakeClipboardPicture(platform).picture.empty());
}

// From the Linux desktop a 32-bit picture whose fourth bytes are all 0 is
// made 24 bits again; from Windows programs it is kept as it came.
TEST(PictureForms, PicturesFromTheLinuxDesktopKeepTheirDepth) {
  Bytes used = testing::MakeTestPicture("rgb32").dib;
  used[40 + 7] = 1;
  for (bool host : {false, true}) {
    for (auto [name, to24] : {std::pair{"rgb32", "rgb24"}, {"topdown32", "topdown24"}, {"bitfields32", ""}, {"", ""}}) {
      const Bytes dib = *name ? testing::MakeTestPicture(name).dib : used;  // "": one whose fourth bytes are used
      FakePlatform platform;
      platform.hostDesktop = host;
      platform.Put({8}, dib);
      const Picture pic = TakeClipboardPicture(platform).picture;
      const Bytes want = host && *to24 ? testing::MakeTestPicture(to24).dib : dib;
      EXPECT_EQ(Bytes(pic.data(), pic.data() + pic.layout().totalSize), want) << name << host;
    }
  }
}

// A PNG of `size` bytes whose header promises this size, its pixels zeros.
Bytes Png(std::uint32_t width, std::uint32_t height, std::size_t size = 57) {
  return testing::MakePng(width, height, 2, Bytes(size - 57));
}

TEST(PictureForms, PngsCheckedBeforeDecoding) {
  const Bytes whole = Png(1, 1);
  Bytes noPixels = whole;
  noPixels.erase(noPixels.begin() + 33, noPixels.begin() + 45);
  auto cut = [&](int at) { return Bytes(whole.begin(), whole.begin() + at); };
  // Cut inside IHDR, after it, before IEND; no pixels; no width or height; at most 8192 x 8192 pixels, and
  // no more than the bytes could hold.
  // Too many pixels is told apart from a malformed picture.
  const int bad = 481, large = error::kPictureTooLarge;
  struct Row { Bytes png; int error; } rows[] = {
      {Png(64, 32), 0}, {cut(32), bad}, {cut(33), bad}, {cut(45), bad}, {noPixels, bad},
      {Png(0, 5), bad}, {Png(5, 0), bad}, {Png(0x80000000u, 1, 100000), bad}, {Png(8192, 8192, 20000), 0},
      {Png(8192, 8193, 20000), large}, {Png(8192, 8192, 8000), bad}, {Png(8192, 8192, 8200), 0}};
  for (const Row& row : rows) {
    PngSize got{};
    EXPECT_EQ(ErrorOf([&] { got = CheckPng(row.png.data(), row.png.size()); }), row.error);
    if (row.error == 0) {
      EXPECT_EQ(Png(got.width, got.height, row.png.size()), row.png);
    }
  }
  // Signature, IHDR's length, type and check sum, IDAT's length and check
  // sum, IEND's type.
  for (std::size_t at : {0, 1, 7, 11, 12, 15, 30, 36, 44, 50}) {
    Bytes png = Png(4, 4, 60);
    png[at] ^= 0x20;
    EXPECT_EQ(ErrorOf([&] { CheckPng(png.data(), png.size()); }), 481) << at;
  }
}

}  // namespace pixkeeper
