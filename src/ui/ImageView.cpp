#include "ui/ImageView.h"

#include <cstdlib>

#include "base/RuntimeError.h"
#include "base/Texts.h"
#include "ui/DialogWindow.h"
#include "ui/ScreenGeometry.h"
#include "ui/ViewerGeometry.h"
#include "ui/WindowClasses.h"

namespace pixkeeper {

namespace {
constexpr WPARAM kEscape = 27;
}  // namespace

ImageView::ImageView(Platform& platform, HWND owner, Picture picture)
    : BaseWindow(platform), picture_(std::move(picture)) {
  RegisterWindowClass(kImageViewWindowClass, ProgramIcon(owner));
  if (CreateTopLevel(kImageViewWindowClass, Text(TextId::kImageViewTitle).c_str(), kDialogStyle, kDialogExStyle, owner,
                     nullptr) == nullptr) {
    throw RuntimeError(error::kOutOfMemory);
  }
  // The load step: the picture's size in twips gives the window's.
  const ScreenDpi& dpi = CurrentDpi();
  const DibLayout& layout = picture_.layout();
  const TwipsRect window =
      ViewerPlacement(PixelsToTwips(layout.width, dpi.x),
                      PixelsToTwips(std::abs(layout.height), dpi.y), platform.ScreenSize());
  SetWindowPos(hwnd(), nullptr, TwipsToPixelsX(window.left), TwipsToPixelsY(window.top),
               TwipsToPixelsX(window.width), TwipsToPixelsY(window.height),
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void ImageView::ShowModal() {
  modal_.Run(hwnd());
}

void ImageView::Unload() {
  modal_.End(hwnd());
  DestroyWindow(hwnd());
}

// Pixel for pixel from the picture's own bits: no stretching, no conversion
// to a screen-compatible bitmap on the way.
void ImageView::Paint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd(), &paint);
  const DibLayout& layout = picture_.layout();
  const int height = std::abs(layout.height);
  StretchDIBits(dc, TwipsToPixelsX(kViewerPictureOffset), TwipsToPixelsY(kViewerPictureOffset),
                layout.width, height, 0, 0, layout.width, height,
                picture_.data() + layout.pixelOffset,
                reinterpret_cast<const BITMAPINFO*>(picture_.data()), DIB_RGB_COLORS, SRCCOPY);
  EndPaint(hwnd(), &paint);
}

LRESULT ImageView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE:
      // Every key reaches the window as it is typed, Esc included.
      return DLGC_WANTALLKEYS | DLGC_WANTCHARS;
    case WM_CHAR:
      if (wParam == kEscape) Unload();
      return 0;
    case WM_GETMINMAXINFO: {
      // A picture larger than the screen keeps its window larger too.
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMaxTrackSize = {0x7FFF, 0x7FFF};
      return 0;
    }
    case WM_PAINT:
      Paint();
      return 0;
    case WM_CLOSE:
      Unload();
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

}  // namespace pixkeeper
