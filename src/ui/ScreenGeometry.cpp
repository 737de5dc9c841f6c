#include "ui/ScreenGeometry.h"

#include "platform/win32/Handles.h"

namespace pixkeeper {

const ScreenDpi& CurrentDpi() {
  static const ScreenDpi dpi = [] {
    ScreenDpi result;
    win32::WindowDc screen(nullptr);
    if (screen) {
      result.x = GetDeviceCaps(screen.get(), LOGPIXELSX);
      result.y = GetDeviceCaps(screen.get(), LOGPIXELSY);
    }
    return result;
  }();
  return dpi;
}

int TwipsToPixelsX(double twips) { return TwipsToPixels(twips, CurrentDpi().x); }
int TwipsToPixelsY(double twips) { return TwipsToPixels(twips, CurrentDpi().y); }

void PlaceControl(HWND control, const TwipsRect& rect) {
  MoveWindow(control, TwipsToPixelsX(rect.left), TwipsToPixelsY(rect.top),
             TwipsToPixelsX(rect.width), TwipsToPixelsY(rect.height), TRUE);
}

void SetClientSizeTwips(HWND window, double width, double height) {
  const int clientWidth = TwipsToPixelsX(width);
  const int clientHeight = TwipsToPixelsY(height);
  RECT rect{0, 0, clientWidth, clientHeight};
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
  AdjustWindowRectEx(&rect, style, GetMenu(window) != nullptr, exStyle);
  SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // A menu bar that wraps onto a second line takes client height that the
  // calculation above did not count: grow the window by what is missing.
  RECT client{};
  GetClientRect(window, &client);
  const int missingWidth = clientWidth - client.right;
  const int missingHeight = clientHeight - client.bottom;
  if (missingWidth != 0 || missingHeight != 0) {
    RECT outer{};
    GetWindowRect(window, &outer);
    SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + missingWidth,
                 outer.bottom - outer.top + missingHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

TwipsRect WindowRectTwips(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  const ScreenDpi& dpi = CurrentDpi();
  return {PixelsToTwips(rect.left, dpi.x), PixelsToTwips(rect.top, dpi.y),
          PixelsToTwips(rect.right - rect.left, dpi.x),
          PixelsToTwips(rect.bottom - rect.top, dpi.y)};
}

TwipsRect ClientRectTwips(HWND window) {
  RECT rect{};
  GetClientRect(window, &rect);
  const ScreenDpi& dpi = CurrentDpi();
  return {0, 0, PixelsToTwips(rect.right, dpi.x), PixelsToTwips(rect.bottom, dpi.y)};
}

double WindowPlacement::Width() const { return WindowRectTwips(window_).width; }
double WindowPlacement::Height() const { return WindowRectTwips(window_).height; }

void WindowPlacement::SetLeft(float left) {
  RECT rect{};
  GetWindowRect(window_, &rect);
  SetWindowPos(window_, nullptr, TwipsToPixelsX(left), rect.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WindowPlacement::SetTop(float top) {
  RECT rect{};
  GetWindowRect(window_, &rect);
  SetWindowPos(window_, nullptr, rect.left, TwipsToPixelsY(top), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace pixkeeper
