// clipboard_feeder FORM [EXPECTED_RGB_FILE]
// Puts a sample picture on the clipboard in one form and exits, as another
// program would. With a second argument it also writes the picture's RGB
// pixels (top row first) there, for a check with an independent reader.
//   ddb            a device-dependent bitmap only (CF_BITMAP)
//   <name>         the test picture of that name ("rgb24", "pal8", ...) as a DIB only (CF_DIB)
//   text+bitmap    Unicode text and a bitmap together, as a spreadsheet copies cells

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "support/TestPictures.h"

namespace {

using pixkeeper::testing::MakeTestPicture;
using pixkeeper::testing::TestPicture;

HGLOBAL GlobalCopy(const void* data, std::size_t size) {
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, size);
  if (memory == nullptr) return nullptr;
  std::memcpy(::GlobalLock(memory), data, size);
  ::GlobalUnlock(memory);
  return memory;
}

HBITMAP ScreenBitmapOf(const TestPicture& sample) {
  HDC screen = ::GetDC(nullptr);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, sample.width, sample.height);
  // rgb24: a 40-byte header and no colour table before the pixels.
  const auto* info = reinterpret_cast<const BITMAPINFO*>(sample.dib.data());
  const std::uint8_t* bits = sample.dib.data() + info->bmiHeader.biSize;
  ::SetDIBits(screen, bitmap, 0, static_cast<UINT>(sample.height), bits, info, DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, screen);
  return bitmap;
}

bool WriteExpected(const wchar_t* path, const TestPicture& sample) {
  FILE* file = _wfopen(path, L"wb");
  if (file == nullptr) return false;
  const bool ok = std::fwrite(sample.rgb.data(), 1, sample.rgb.size(), file) == sample.rgb.size();
  return std::fclose(file) == 0 && ok;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: clipboard_feeder FORM [EXPECTED_RGB_FILE]\n");
    return 1;
  }
  const std::string form = Narrow(argv[1]);
  const bool asBitmap = form == "ddb" || form == "text+bitmap";
  const std::string kind = asBitmap ? "rgb24" : form;
  TestPicture sample;
  try {
    sample = MakeTestPicture(kind);
  } catch (const std::exception&) {
    std::fprintf(stderr, "unknown form %s\n", form.c_str());
    return 1;
  }

  // SetClipboardData needs an owner: a clipboard emptied with none rejects it.
  HWND window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                  nullptr);
  bool opened = false;
  for (int attempt = 0; attempt < 100 && !(opened = ::OpenClipboard(window)); ++attempt) ::Sleep(5);
  if (!opened || !::EmptyClipboard()) return 2;
  bool placed = true;
  if (form == "text+bitmap") {
    const wchar_t text[] = L"セル\tB1\r\n";
    placed = ::SetClipboardData(CF_UNICODETEXT, GlobalCopy(text, sizeof text)) != nullptr;
  }
  if (asBitmap) {
    placed = placed && ::SetClipboardData(CF_BITMAP, ScreenBitmapOf(sample)) != nullptr;
  } else {
    placed = ::SetClipboardData(CF_DIB, GlobalCopy(sample.dib.data(), sample.dib.size())) != nullptr;
  }
  ::CloseClipboard();
  if (!placed) return 2;
  if (argc > 2 && !WriteExpected(argv[2], sample)) return 3;
  return 0;
}
