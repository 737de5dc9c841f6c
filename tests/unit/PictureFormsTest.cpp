// Which clipboard form becomes the picture (text, privacy markers, alpha,
// PNG), PNG files with the mark set, and what is checked of PNG bytes before
// decoding.

#include <gtest/gtest.h>

#include "capture/Capture.h"
#include "capture/PictureSource.h"
#include "fakes/FakePlatform.h"
#include "platform/Png.h"
#include "support/TestPictures.h"
#include "support/TestPng.h"

namespace pixkeeper {

using Bytes = std::vector<std::uint8_t>;

// A 32-bit V5 picture whose alpha mask is set and whose first pixel's alpha
// is `first`, every other one's `rest`.
Bytes AlphaV5(std::uint8_t first, std::uint8_t rest) {
  Bytes dib = testing::V5Picture(false, 0);
  testing::Set32(dib, 52, 0xFF000000);
  for (std::size_t at = 124 + 3; at < dib.size(); at += 4) dib[at] = at == 127 ? first : rest;
  return dib;
}

TEST(PictureForms, TheFormTakenOrNone) {
  const Bytes plain = testing::MakeTestPicture("rgb24").dib, png = testing::MakeTestPicture("pal8").dib;
  Bytes unmasked = AlphaV5(0, 0x80);
  testing::Set32(unmasked, 52, 0);
  struct Row {
    std::set<std::string> offered;
    Bytes v5, number;
    const char* taken;  // "", "plain", "v5" or "png"
  } rows[] = {
      {{"2", "8"}, {}, {}, "plain"},
      {{"8", "PNG"}, {}, {}, "plain"},
      {{"PNG"}, {}, {}, "png"},
      {{"1", "PNG"}, {}, {}, ""},
      {{"1", "2", "17"}, AlphaV5(0, 0x80), {}, ""},
      {{}, {}, {}, ""},
      {{"2", "8", "17"}, AlphaV5(0, 0x80), {}, "v5"},     // partly transparent
      {{"2", "8", "17made"}, AlphaV5(0, 0x80), {}, "plain"},  // made of the plain one by the system
      {{"8", "17"}, AlphaV5(0xFF, 0), {}, "v5"},          // a cut-out shape
      {{"2", "17"}, AlphaV5(0, 0), {}, "plain"},          // an alpha never filled in
      {{"2", "17"}, AlphaV5(0xFF, 0xFF), {}, "plain"},    // opaque
      {{"2", "17"}, unmasked, {}, "plain"},
      {{"2", "17"}, Bytes(30, 1), {}, "plain"},          // malformed
      {{"2", "Exclude"}, {}, {}, ""},
      {{"PNG", "Ignore"}, {}, {}, ""},
      {{"2", "History"}, {}, {0, 0, 0, 0}, ""},
      {{"2", "History"}, {}, {1, 0}, ""},                // unreadable: allows nothing
      {{"2", "History"}, {}, {1, 0, 0, 0}, "plain"},
  };
  for (const Row& row : rows) {
    FakePlatform platform;
    const std::map<std::string, int> numbers = {
        {"Exclude", platform.ClipboardFormatNamed(L"ExcludeClipboardContentFromMonitorProcessing")},
        {"Ignore", platform.ClipboardFormatNamed(L"Clipboard Viewer Ignore")},
        {"History", platform.ClipboardFormatNamed(L"CanIncludeInClipboardHistory")},
        {"PNG", platform.ClipboardFormatNamed(L"PNG")}};
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
    for (auto [dib, narrowed] : {std::pair<Bytes, const char*>{testing::MakeTestPicture("rgb32").dib, "rgb24"},
                                 {testing::MakeTestPicture("topdown32").dib, "topdown24"},
                                 {testing::MakeTestPicture("bitfields32").dib, ""}, {used, ""}}) {
      FakePlatform platform;
      platform.hostDesktop = host;
      platform.Put({8}, dib);
      const Picture pic = TakeClipboardPicture(platform).picture;
      const Bytes want = host && *narrowed ? testing::MakeTestPicture(narrowed).dib : dib;
      EXPECT_EQ(Bytes(pic.data(), pic.data() + pic.layout().totalSize), want) << narrowed << host;
    }
  }
}

// With the PNG mark set every scheme writes PNG files: the same names with
// ".PNG", and the save dialog offers PNG first.
TEST(PictureForms, PngFilesWithTheMarkSet) {
  FakeProgram fake;
  fake.platform.checks[OptionItem::SavePng] = true;
  fake.state.BaseDir = L"C:\\S\\", fake.state.FilePrefix = L"P", fake.state.PresentValue = 7;
  fake.platform.onClipboardChange = [&] { CaptureClipboard(fake.program); };
  for (Integer scheme : {0, 0, 1, 2}) {
    fake.state.NamingScheme = scheme;
    fake.platform.Put({8}, testing::MakeTestPicture("rgb24").dib);
  }
  std::string saved;
  for (const auto& file : fake.platform.files) saved += std::string(file.first.begin(), file.first.end()) + " ";
  EXPECT_EQ(saved, "C:\\S\\P0007.PNG C:\\S\\P0613142530-2.PNG C:\\S\\P0613142530.PNG C:\\S\\USERINPUT.PNG ");
  EXPECT_EQ(fake.platform.log.find("save:"), std::string::npos);  // every one written as PNG
  EXPECT_EQ(fake.platform.dialog.filter, L"PNG ファイル (*.PNG)|*.PNG|画像ﾌｧｲﾙ (*.BMP)|*.BMP|");
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
  struct Row {
    Bytes png;
    bool taken;
  } rows[] = {
      {Png(64, 32), true},
      {cut(32), false},  // cut inside IHDR
      {cut(33), false},  // after it
      {cut(45), false},  // before IEND
      {noPixels, false},
      {Png(0, 5), false},
      {Png(5, 0), false},
      {Png(0x80000000u, 1, 100000), false},
      {Png(8192, 8192, 20000), true},  // the most pixels taken
      {Png(8192, 8193, 20000), false},
      {Png(8192, 8192, 8000), false},  // more than the bytes could hold
      {Png(8192, 8192, 8200), true},
  };
  for (const Row& row : rows) {
    PngSize got{};
    EXPECT_EQ(ErrorOf([&] { got = CheckPng(row.png.data(), row.png.size()); }), row.taken ? 0 : 481);
    if (row.taken) {
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
