// Subcommands that read and answer a message box of another process.

#include <cstdint>
#include <string>

#include "ProbeCommands.h"
#include "ProbeCommon.h"

namespace pixkeeper::probe {

namespace {

HWND WaitForMessageBox(const Args& args) {
  WindowQuery query = QueryFromArgs(args);
  query.className = L"#32770";
  HWND box = nullptr;
  if (!WaitFor(args.IntOption(L"timeout", kDefaultTimeoutMs), [&] {
        box = FindTopWindow(query);
        return box != nullptr && IsWindowVisible(box);
      })) {
    PrintError(L"no message box titled \"" + query.title + L"\"");
    return nullptr;
  }
  return box;
}

// 32-bit pixels of a screen area, or of an icon drawn on a plain background.
class PixelGrab {
 public:
  PixelGrab(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_),
                               nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~PixelGrab() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  PixelGrab(const PixelGrab&) = delete;
  PixelGrab& operator=(const PixelGrab&) = delete;

  void FromScreen(int x, int y) {
    HDC screen = GetDC(nullptr);
    BitBlt(dc_, 0, 0, width_, height_, screen, x, y, SRCCOPY);
    ReleaseDC(nullptr, screen);
    GdiFlush();
  }
  void FromIcon(HICON icon, COLORREF background) {
    HBRUSH brush = CreateSolidBrush(background);
    RECT all{0, 0, width_, height_};
    FillRect(dc_, &all, brush);
    DeleteObject(brush);
    DrawIconEx(dc_, 0, 0, icon, width_, height_, 0, nullptr, DI_NORMAL);
    GdiFlush();
  }
  std::uint32_t At(int i) const { return bits_[i] & 0xFFFFFF; }

 private:
  int width_, height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  std::uint32_t* bits_ = nullptr;
};

// Which standard icon a message box shows. Icons cannot be compared by handle
// across processes, so the shown pixels are compared with the standard icons
// drawn here, over the pixels that they cover whatever the background.
const wchar_t* MatchIcon(const RECT& shownAt) {
  struct Known { LPCWSTR id; const wchar_t* name; };
  const Known known[] = {{IDI_INFORMATION, L"information"}, {IDI_ERROR, L"error"},
                         {IDI_WARNING, L"warning"}, {IDI_QUESTION, L"question"}};
  const int size = GetSystemMetrics(SM_CXICON);
  PixelGrab shown(size, size);
  shown.FromScreen(shownAt.left, shownAt.top);
  for (const Known& k : known) {
    HICON icon = LoadIconW(nullptr, k.id);
    PixelGrab onBlack(size, size), onWhite(size, size);
    onBlack.FromIcon(icon, RGB(0, 0, 0));
    onWhite.FromIcon(icon, RGB(255, 255, 255));
    int opaque = 0, same = 0;
    for (int i = 0; i < size * size; ++i) {
      if (onBlack.At(i) != onWhite.At(i)) continue;
      ++opaque;
      if (shown.At(i) == onBlack.At(i)) ++same;
    }
    if (opaque > 0 && same * 10 >= opaque * 9) return k.name;
  }
  return nullptr;
}

std::wstring IconName(HWND box) {
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (WindowClass(child) != L"Static" ||
        (GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) {
      continue;
    }
    RECT rect{};
    GetWindowRect(child, &rect);
    // The box may not have painted its icon yet.
    const wchar_t* name = nullptr;
    WaitFor(2000, [&] { return (name = MatchIcon(rect)) != nullptr; });
    return name != nullptr ? name : L"unknown";
  }
  return L"none";
}

}  // namespace

int CmdMessageBox(const Args& args) {
  HWND box = WaitForMessageBox(args);
  if (box == nullptr) return 1;
  DWORD pid = 0;
  GetWindowThreadProcessId(box, &pid);
  Print(L"pid " + std::to_wstring(pid));
  Print(L"icon " + IconName(box));
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    std::wstring className = WindowClass(child);
    std::wstring text = WindowText(child);
    if (className == L"Static" && !text.empty()) Print(L"text " + Escaped(text));
    if (className == L"Button") {
      Print(L"button " + std::to_wstring(GetDlgCtrlID(child)) + L" " + Escaped(text));
    }
  }
  return 0;
}

int CmdMessageBoxOk(const Args& args) {
  HWND box = WaitForMessageBox(args);
  if (box == nullptr) return 1;
  HWND ok = GetDlgItem(box, IDOK);
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
  bool gone = WaitFor(kDefaultTimeoutMs, [&] { return !IsWindow(box); });
  if (!gone) PrintError(L"the message box did not close");
  return gone ? 0 : 1;
}

}  // namespace pixkeeper::probe
