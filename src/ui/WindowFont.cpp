#include "ui/WindowFont.h"

#include "base/Texts.h"
#include "ui/ScreenGeometry.h"

namespace pixkeeper {

WindowFont::WindowFont(int points) {
  LOGFONTW font{};
  font.lfHeight = -MulDiv(points, CurrentDpi().y, 72);
  font.lfWeight = FW_NORMAL;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  if (CurrentLanguage() == Language::kJapanese) {
    font.lfCharSet = SHIFTJIS_CHARSET;
    font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    lstrcpynW(font.lfFaceName, L"ＭＳ ゴシック", LF_FACESIZE);
  } else {
    // Windows' own face for dialogs and messages, at the size the windows
    // were laid out for.
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    lstrcpynW(font.lfFaceName, metrics.lfMessageFont.lfFaceName, LF_FACESIZE);
  }
  font_.Reset(CreateFontIndirectW(&font));
}

void WindowFont::ApplyTo(HWND window) const {
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(get()), TRUE);
}

}  // namespace pixkeeper
