#include "ui/About.h"

#include <string>
#include <vector>

#include "base/RuntimeError.h"
#include "base/Texts.h"
#include "ui/ControlIds.h"
#include "ui/ControlText.h"
#include "ui/FormCenter.h"
#include "ui/ScreenGeometry.h"
#include "ui/StartUp.h"
#include "ui/Version.h"
#include "ui/WindowClasses.h"

namespace pixkeeper {

namespace {

constexpr double kClientWidth = 4095;
constexpr double kClientHeight = 4695;
constexpr TwipsRect kFrame{120, 480, 3855, 3375};

// The version history, a line per entry.
std::vector<std::wstring> Lines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  std::size_t begin = 0;
  for (std::size_t end; (end = text.find(L'\n', begin)) != std::wstring::npos; begin = end + 1) {
    lines.push_back(text.substr(begin, end - begin));
  }
  lines.push_back(text.substr(begin));
  return lines;
}

}  // namespace

About::About(Platform& platform, HWND owner) : BaseWindow(platform) {
  RegisterWindowClass(kAboutWindowClass, ProgramIcon(owner));
  if (CreateTopLevel(kAboutWindowClass, Text(TextId::kAboutTitle).c_str(), kDialogStyle, kDialogExStyle, owner,
                     nullptr) == nullptr) {
    throw RuntimeError(error::kOutOfMemory);
  }
  font_.ApplyTo(hwnd());
  SetClientSizeTwips(hwnd(), kClientWidth, kClientHeight);

  // The load step.
  WindowPlacement placement(hwnd());
  CenterForm(platform, placement);
  const std::wstring version = Text(TextId::kAboutVersion, {kProgramTitle, L"" PIXKEEPER_VERSION_TEXT});
  // Created in tab order, the frame after the list so that it lies beneath it.
  HWND list = AddControl(hwnd(), L"LISTBOX", L"", WS_TABSTOP | WS_VSCROLL | WS_HSCROLL,
                         WS_EX_CLIENTEDGE, ids::kCorrespondList,
                         {kFrame.left + 120, kFrame.top + 240, 3615, 2940}, listFont_);
  AddControl(hwnd(), L"BUTTON", Text(TextId::kOkButton).c_str(), BS_PUSHBUTTON | WS_TABSTOP, 0, ids::kAboutOk,
             {2280, 3960, 1695, 615}, font_);
  AddControl(hwnd(), L"STATIC", version.c_str(), SS_CENTER | SS_NOPREFIX, 0, ids::kVersionLabel,
             {120, 120, 3855, 255}, font_);
  AddControl(hwnd(), L"BUTTON", Text(TextId::kAboutHistoryFrame).c_str(), BS_GROUPBOX, 0, ids::kCorrespondFrame, kFrame, font_);
  SetListEntries(list, listFont_.get(), Lines(Text(TextId::kAboutHistory)));
}

void About::ShowModal() {
  modal_.Run(hwnd());
}

void About::Unload() {
  modal_.End(hwnd());
  DestroyWindow(hwnd());
}

LRESULT About::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATE:
      focus_.OnActivate(hwnd(), LOWORD(wParam) != WA_INACTIVE);
      return 0;
    case WM_COMMAND:
      // IDOK and IDCANCEL (Enter and Esc) close nothing.
      if (LOWORD(wParam) == ids::kAboutOk && HIWORD(wParam) == BN_CLICKED) Unload();
      return 0;
    case WM_CLOSE:
      Unload();
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

}  // namespace pixkeeper
