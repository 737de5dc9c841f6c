#include "Harness.h"

using namespace e2e;

namespace {

struct Control { wstring cls, text; RECT place; LONG style; };
// The client area (first, without a class) and each control in it.
std::vector<Control> Layout(HWND window) {
  RECT c = Client(window);
  std::vector<Control> all{{L"", L"", {0, 0, c.right - c.left, c.bottom - c.top}, 0}};
  for (HWND w = GetWindow(window, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
    all.push_back({ClassOf(w), Text(w), Rect(w, window), Style(w)});
  }
  return all;
}
// The room a control's text takes in the program's font at this DPI, with
// the box of a check box or option and the indent of a frame's caption.
SIZE TextRoom(const Control& c, int dpi) {
  HDC dc = CreateCompatibleDC(nullptr);
  // In English the program takes Windows' message font, at the same size.
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  HFONT font = english ? CreateFontW(-MulDiv(12, dpi, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS,
                                     metrics.lfMessageFont.lfFaceName)
                       : CreateFontW(-MulDiv(12, dpi, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, L"ＭＳ ゴシック");
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32W(dc, c.text.c_str(), static_cast<int>(c.text.size()), &size);
  DeleteObject(SelectObject(dc, old));
  DeleteDC(dc);
  const LONG type = c.style & BS_TYPEMASK;
  const bool box = c.cls == L"Button" && (type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON ||
                                          type == BS_AUTOCHECKBOX || type == BS_CHECKBOX);
  const bool frame = c.cls == L"Button" && type == BS_GROUPBOX;
  size.cx += MulDiv(box ? 16 : frame ? 8 : 0, dpi, 96);
  return size;
}

}  // namespace

// At 144 and 192 DPI every window lays out as at 96, scaled, and no text is
// cut. Programs started after the change see the new DPI.
void GroupDpi() {
  std::map<wstring, std::vector<Control>> at96;
  for (int dpi : {96, 144, 192}) {
    SetDpi(dpi);
    if (!Start(Numbering(L"H"))) break;
    const wstring at = L" at " + to_wstring(dpi) + L" DPI";
    for (auto [name, key, title, cls] : {std::tuple<const wchar_t*, WORD, wstring, const wchar_t*>{
             L"main", 0, L"", nullptr}, {L"fname", 'F' | kCtrl, FnameTitle(), L"PixkeeperFname"},
             {L"dir", 'D' | kCtrl, DirTitle(), L"PixkeeperDirConfig"},
             {L"about", 'A' | kCtrl, AboutTitle(), L"PixkeeperAbout"}}) {
      HWND window = Main();
      if (key != 0) Keys(Main(), {key}), window = WaitTop(title, cls);
      if (!Check(window != nullptr, name + at + L": did not open")) continue;
      const std::vector<Control> laid = Layout(window);
      if (dpi == 96) at96[name] = laid;
      const std::vector<Control>& base = at96[name];
      Check(laid.size() == base.size(), name + at + L": the controls");
      for (std::size_t i = 0; i < std::min(laid.size(), base.size()); ++i) {
        const RECT& r = laid[i].place;
        const RECT& b = base[i].place;
        const wstring what = name + at + L": " + (i ? laid[i].cls + L" " + laid[i].text.c_str() : L"the client area");
        auto scaled = [&](LONG got, LONG want96, int slack = 2) { return std::abs(got - MulDiv(want96, dpi, 96)) <= slack; };
        // A list box holds whole lines (the main window's is sized from its
        // frame, which the system does not scale), and a drop-down list is as
        // high as its font needs.
        const int lines = laid[i].cls == L"ListBox" || laid[i].cls == L"ComboBox" ? MulDiv(16, dpi, 96) : 2;
        const int frame = laid[i].cls == L"ListBox" ? lines : 2;
        Check(scaled(r.left, b.left) && scaled(r.top, b.top) && scaled(r.right, b.right, frame) && scaled(r.bottom, b.bottom, lines),
              what + L" at " + Place(r) + L", not " + Place(b) + L" scaled");
        const SIZE room = TextRoom(laid[i], dpi);
        const bool texted = (laid[i].cls == L"Button" || laid[i].cls == L"Static") && !laid[i].text.empty();
        Check(!texted || (room.cx <= r.right - r.left && room.cy <= r.bottom - r.top),
              what + L": its text needs " + to_wstring(room.cx) + L"x" + to_wstring(room.cy) + L", has " + Size(r));
      }
      Screenshot(window, name + to_wstring(dpi));
      if (key != 0) {
        PostMessageW(window, WM_CLOSE, 0, 0);
        Check(WaitFor([&] { return !IsWindow(window); }), name + at + L": did not close");
      }
    }
    Stop();
  }
  SetDpi(96);
}
