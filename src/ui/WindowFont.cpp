#include "ui/WindowFont.h"

#include "ui/ScreenGeometry.h"

namespace pixkeeper {

WindowFont::WindowFont(int points) {
  LOGFONTW font{};
  font.lfHeight = -MulDiv(points, CurrentDpi().y, 72);
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = SHIFTJIS_CHARSET;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  lstrcpynW(font.lfFaceName, L"ＭＳ ゴシック", LF_FACESIZE);
  font_.Reset(CreateFontIndirectW(&font));
}

void WindowFont::ApplyTo(HWND window) const {
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(get()), TRUE);
}

}  // namespace pixkeeper
