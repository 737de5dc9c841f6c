#include "capture/PictureSource.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "base/RuntimeError.h"
#include "image/DibAlpha.h"
#include "image/Png.h"

namespace pixkeeper {

bool IsMarkedPrivate(Platform& platform) {
  for (const wchar_t* marker : {L"ExcludeClipboardContentFromMonitorProcessing", L"Clipboard Viewer Ignore"}) {
    if (platform.ClipboardHasFormat(platform.ClipboardFormatNamed(marker))) return true;
  }
  // Present, this one allows recording only when it holds a number other
  // than 0; a value that cannot be read allows nothing.
  const int history = platform.ClipboardFormatNamed(L"CanIncludeInClipboardHistory");
  if (!platform.ClipboardHasFormat(history)) return false;
  const auto allowed = platform.ClipboardGetNumber(history);
  return !allowed || *allowed == 0;
}

namespace {

// The DIB with its alpha, when the program that filled the clipboard put one
// there whose alpha is used. One that the system made of a plain DIB has no
// alpha to give, and making it would copy the whole picture once more. A form
// that turns out malformed is passed over for the plain one.
ClipboardPicture TakeTransparentDib(Platform& platform) {
  if (!platform.ClipboardHasFormat(clipboard_format::kDibV5)) return {};
  const std::vector<int> formats = platform.ClipboardFormats();
  const auto v5 = std::find(formats.begin(), formats.end(), clipboard_format::kDibV5);
  if (std::find(formats.begin(), v5, clipboard_format::kDib) != v5) return {};
  try {
    ClipboardPicture taken = platform.ClipboardGetPicture(clipboard_format::kDibV5);
    const Picture& pic = taken.picture;
    if (!pic.empty() && HasTransparency(pic.layout(), pic.data())) return taken;
  } catch (const RuntimeError&) {
  }
  return {};
}

bool IsRefused(Platform& platform) {
  // Contents with text are never pictures to keep: copied spreadsheet cells
  // carry a bitmap beside their text.
  return platform.ClipboardHasFormat(clipboard_format::kText) || IsMarkedPrivate(platform);
}

ClipboardPicture TakeOfferedPicture(Platform& platform) {
  int format = 0;
  if (platform.ClipboardHasFormat(clipboard_format::kBitmap)) {
    format = clipboard_format::kBitmap;
  } else if (platform.ClipboardHasFormat(clipboard_format::kDib)) {
    format = clipboard_format::kDib;
  }
  if (format == 0) {
    const int png = platform.ClipboardFormatNamed(L"PNG");
    return platform.ClipboardHasFormat(png) ? platform.ClipboardGetPicture(png) : ClipboardPicture{};
  }
  ClipboardPicture transparent = TakeTransparentDib(platform);
  if (!transparent.picture.empty()) return transparent;
  ClipboardPicture taken = platform.ClipboardGetPicture(format);
  // A picture from the Linux desktop comes over at the screen's depth: one
  // of 24 bits then has an empty fourth byte, which is dropped again.
  if (!taken.picture.empty() && platform.ClipboardFilledByHostDesktop()) {
    std::vector<std::uint8_t> dib24 = Dib24OfPadded32(taken.picture.layout(), taken.picture.data());
    if (!dib24.empty()) taken.picture = Picture::Own(std::move(dib24));
  }
  return taken;
}


// The PNG its program offered, as it came, when its bytes pass the checks.
ClipboardPicture TakeOfferedPngBytes(Platform& platform) {
  const int format = platform.ClipboardFormatNamed(L"PNG");
  if (!platform.ClipboardHasFormat(format)) return {};
  ClipboardPicture taken;
  taken.png = platform.ClipboardGetBytes(format, taken.sequence);
  try {
    taken.png.resize(CheckPng(taken.png.data(), taken.png.size()).length);
  } catch (const RuntimeError&) {
    return {};
  }
  return taken;
}

}  // namespace

ClipboardPicture TakeClipboardPicture(Platform& platform, bool keepOfferedPng) {
  if (IsRefused(platform)) return {};
  ClipboardPicture taken = keepOfferedPng ? TakeOfferedPngBytes(platform) : ClipboardPicture{};
  if (taken.empty()) taken = TakeOfferedPicture(platform);
  // The formats can be tested while another program is still filling the
  // clipboard; reading waits until it has closed it. Asked again now, they
  // tell of everything it put there.
  if (!taken.empty() && IsRefused(platform)) return {};
  return taken;
}

}  // namespace pixkeeper
