#include "ui/About.h"

#include <string>
#include <vector>

#include "platform/RuntimeError.h"
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

// Version by version; a line that continues the version above begins with
// five blanks.
const std::vector<std::wstring> kHistory = {
    L"1.00-新規作成",
    L"1.01-環境設定ﾒﾆｭｰ追加",
    L"1.02-保存先ﾃﾞｨﾚｸﾄﾘ異常時の対応",
    L"     ｺﾏﾝﾄﾞﾗｲﾝ処理追加(ﾚｼﾞｽﾄﾘ異常対策)",
    L"1.03-通番の初期値を指定出来る様にした",
    L"     前回の現在値を保持出来る様にした",
    L"1.04-保存ﾌｧｲﾙ名の一覧を表示する様にした",
    L"     ｸﾘｯｸしたﾌｧｲﾙ名をさりげなくｸﾘｯﾌﾟﾎﾞｰﾄﾞに吐き出す様にした",
    L"     ﾌｧｲﾙ名をﾀﾞﾌﾞﾙｸﾘｯｸするとそのﾌｧｲﾙを表示する様にした",
    L"     表示の際に関連付けられているｱﾌﾟﾘを使用する様に選択出来る様にした",
    L"     PG実行中にVBを起動するとｴﾗｰ終了していた問題の回避",
    L"     PG実行中にExcelで切取/ｺﾋﾟｰすると画像として取りこんでしまう問題の回避",
    L"     保存ﾌｧｲﾙ名に時刻を指定した場合の同一時刻での上書き対策",
};

}  // namespace

About::About(Platform& platform, HWND owner) : BaseWindow(platform) {
  RegisterWindowClass(kAboutWindowClass, ProgramIcon(owner));
  if (CreateTopLevel(kAboutWindowClass, kAboutTitle, kDialogStyle, kDialogExStyle, owner,
                     nullptr) == nullptr) {
    throw RuntimeError(error::kOutOfMemory);
  }
  font_.ApplyTo(hwnd());
  SetClientSizeTwips(hwnd(), kClientWidth, kClientHeight);

  // The load step.
  WindowPlacement placement(hwnd());
  CenterForm(platform, placement);
  const std::wstring version = std::wstring(kProgramTitle) + L" Ver" PIXKEEPER_VERSION_TEXT;
  // Created in tab order, the frame after the list so that it lies beneath it.
  HWND list = AddControl(hwnd(), L"LISTBOX", L"", WS_TABSTOP | WS_VSCROLL | WS_HSCROLL,
                         WS_EX_CLIENTEDGE, ids::kCorrespondList,
                         {kFrame.left + 120, kFrame.top + 240, 3615, 2940}, listFont_);
  AddControl(hwnd(), L"BUTTON", L"OK", BS_PUSHBUTTON | WS_TABSTOP, 0, ids::kAboutOk,
             {2280, 3960, 1695, 615}, font_);
  AddControl(hwnd(), L"STATIC", version.c_str(), SS_CENTER | SS_NOPREFIX, 0, ids::kVersionLabel,
             {120, 120, 3855, 255}, font_);
  AddControl(hwnd(), L"BUTTON", L"更新履歴", BS_GROUPBOX, 0, ids::kCorrespondFrame, kFrame, font_);
  SetListEntries(list, listFont_.get(), kHistory);
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
