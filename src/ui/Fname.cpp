#include "ui/Fname.h"

#include <commctrl.h>

#include "base/RuntimeError.h"
#include "base/Texts.h"
#include "ui/ControlIds.h"
#include "ui/ControlText.h"
#include "ui/DialogWindow.h"
#include "ui/FormCenter.h"
#include "ui/ScreenGeometry.h"
#include "ui/WindowClasses.h"

namespace pixkeeper {

namespace {

constexpr double kClientWidth = 6015;
constexpr double kClientHeight = 4335;

// The two frames; their controls are laid out relative to them.
constexpr TwipsRect kFtypeFrame{120, 120, 5775, 2415};
constexpr TwipsRect kFnameFrame{120, 2640, 5775, 855};

constexpr int kStartValueLength = 4;
constexpr UINT_PTR kKeyFilterId = 1;

// Typed characters other than Backspace and digits never reach the box. Text
// that arrives otherwise (a paste from the context menu) is let through.
LRESULT CALLBACK StartValueKeyFilter(HWND box, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR, DWORD_PTR) {
  if (message == WM_CHAR && !StartValueKeyPasses(static_cast<unsigned>(wParam))) return 0;
  return DefSubclassProc(box, message, wParam, lParam);
}

}  // namespace

Fname::Fname(Program& program, HWND owner) : BaseWindow(program.platform), program_(program) {
  // The program's icon, as the main window's class carries it.
  RegisterWindowClass(kFnameWindowClass, ProgramIcon(owner));
  // Not WS_CLIPCHILDREN: the frames paint no background of their own.
  if (CreateTopLevel(kFnameWindowClass, Text(TextId::kFnameTitle).c_str(), kDialogStyle, kDialogExStyle, owner,
                     nullptr) == nullptr) {
    throw RuntimeError(error::kOutOfMemory);
  }
  font_.ApplyTo(hwnd());
  SetClientSizeTwips(hwnd(), kClientWidth, kClientHeight);
  CreateControls();

  // The load step.
  WindowPlacement placement(hwnd());
  CenterForm(program_.platform, placement);
  EnableWindow(presentValueText_, FALSE);
}

HWND Fname::AddControl(const wchar_t* className, const std::wstring& text, DWORD style,
                       DWORD exStyle, int id, double left, double top, double width,
                       double height, const WindowFont& font) {
  return pixkeeper::AddControl(hwnd(), className, text.c_str(), style, exStyle, id,
                               {left, top, width, height}, font);
}

void Fname::CreateControls() {
  // Created in tab order; each frame after the controls it holds, so that it
  // lies beneath them.
  const double fx = kFtypeFrame.left;
  const double fy = kFtypeFrame.top;
  constexpr DWORD kOption = BS_RADIOBUTTON | WS_TABSTOP | WS_GROUP;
  options_[0] = AddControl(L"BUTTON", Text(TextId::kFnameDateOption), kOption, 0,
                           ids::kFtypeOption0, fx + 240, fy + 480, 3855, 255, font_);
  options_[1] = AddControl(L"BUTTON", Text(TextId::kFnameNumberOption), kOption, 0,
                           ids::kFtypeOption0 + 1, fx + 240, fy + 840, 3135, 255, font_);
  AddControl(L"STATIC", Text(TextId::kFnameStartValue), SS_RIGHT | SS_NOPREFIX, 0, ids::kStartValueLabel,
             fx + 3360, fy + 840, 855, 255, font_);
  startValueText_ = AddControl(L"EDIT", L"", ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP,
                               WS_EX_CLIENTEDGE, ids::kStartValueText, fx + 4320, fy + 840, 615,
                               315, font_);
  SendMessageW(startValueText_, EM_LIMITTEXT, kStartValueLength, 0);
  SetWindowSubclass(startValueText_, &StartValueKeyFilter, kKeyFilterId, 0);
  AddControl(L"STATIC", Text(TextId::kFnameNextValue), SS_RIGHT | SS_NOPREFIX, 0, ids::kPresentValueLabel,
             fx + 2880, fy + 1200, 1335, 255, font_);
  presentValueText_ = AddControl(L"EDIT", L"", ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP,
                                 WS_EX_CLIENTEDGE, ids::kPresentValueText, fx + 4320, fy + 1200,
                                 615, 315, font_);
  AddControl(L"BUTTON", Text(TextId::kResetButton), BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0,
             ids::kPresentValueReset, fx + 5040, fy + 1200, 615, 255, resetFont_);
  presentValueCheck_ = AddControl(L"BUTTON", Text(TextId::kFnameKeepValue),
                                  BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP, 0,
                                  ids::kPresentValueCheck, fx + 2280, fy + 1560, 3255, 255, font_);
  options_[2] = AddControl(L"BUTTON", Text(TextId::kFnameAskOption), kOption, 0,
                           ids::kFtypeOption0 + 2, fx + 240, fy + 1920, 5415, 255, font_);
  AddControl(L"BUTTON", Text(TextId::kFnameSchemeFrame), BS_GROUPBOX | WS_GROUP, 0, ids::kFtypeFrame,
             kFtypeFrame.left, kFtypeFrame.top, kFtypeFrame.width, kFtypeFrame.height, font_);

  fnameText_ = AddControl(L"EDIT", L"", ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP, WS_EX_CLIENTEDGE,
                          ids::kFnameText, kFnameFrame.left + 120, kFnameFrame.top + 360, 5535,
                          330, font_);
  AddControl(L"BUTTON", Text(TextId::kFnamePrefixFrame), BS_GROUPBOX | WS_GROUP, 0,
             ids::kFnameFrame, kFnameFrame.left, kFnameFrame.top, kFnameFrame.width,
             kFnameFrame.height, font_);
  AddControl(L"BUTTON", Text(TextId::kReturnButton), BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, ids::kFnameReturn,
             4440, 3600, 1455, 615, font_);
}

void Fname::ShowModal() {
  // The activation: the running number may have moved since the last showing.
  SetPresentValueText(NextValueText(program_.state));
  modal_.Run(hwnd());
}

void Fname::SelectOption(int index) {
  for (int i = 0; i < kNamingOptionCount; ++i) {
    SendMessageW(options_[i], BM_SETCHECK, i == index ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  program_.state.NamingScheme = static_cast<Integer>(index);
}

std::wstring Fname::PrefixText() const { return WindowText(fnameText_); }
void Fname::SetPrefixText(const std::wstring& text) { SetWindowTextTo(fnameText_, text); }
std::wstring Fname::StartValueText() const { return WindowText(startValueText_); }
void Fname::SetStartValueText(const std::wstring& text) { SetWindowTextTo(startValueText_, text); }
void Fname::SetPresentValueText(const std::wstring& text) {
  SetWindowTextTo(presentValueText_, text);
}

int Fname::KeepValueCheck() const {
  return SendMessageW(presentValueCheck_, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void Fname::SetKeepValueCheck(int value) {
  SendMessageW(presentValueCheck_, BM_SETCHECK, value != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Fname::OnCommand(int id, int code) {
  if (id >= ids::kFtypeOption0 && id < ids::kFtypeOption0 + kNamingOptionCount) {
    if (code == BN_CLICKED) SelectOption(id - ids::kFtypeOption0);
  } else if (id == ids::kPresentValueReset && code == BN_CLICKED) {
    ResetRunningNumber(program_, *this);
  } else if (id == ids::kFnameReturn && code == BN_CLICKED) {
    OnReturn();
  }
  // IDOK and IDCANCEL (Enter and Esc) close nothing.
}

void Fname::OnReturn() {
  StoreFnameFields(program_.state, *this);
  modal_.End(hwnd());
  ShowWindow(hwnd(), SW_HIDE);
}

void Fname::OnCloseBox() {
  // Stores nothing: what an option or the reset button set stays set.
  modal_.End(hwnd());
  DestroyWindow(hwnd());
}

LRESULT Fname::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATE:
      focus_.OnActivate(hwnd(), LOWORD(wParam) != WA_INACTIVE);
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_CLOSE:
      OnCloseBox();
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

}  // namespace pixkeeper
