#include "Harness.h"

using namespace e2e;

// The main window, the file-name dialog and the About box as laid out
// (twips at 15 to a pixel), with screenshots in work\screenshots.
void GroupWindows() {
  // Centred at start, and minimised: restored, the list is placed as usual.
  if (!Start(Numbering(L"W", {{L"StartPos", L"1"}, {L"StartMode", L"1"}}), L"W0001.BMP")) return;
  ShowWindowAsync(Main(), SW_RESTORE);
  WaitFor([] { return !IsIconic(Main()) && Rect(Main()).right - Rect(Main()).left > 300; });
  // The list at 120, 120, as large as the window less 180 x 600, a list box
  // of whole lines.
  Eq(Centred(Main()), L"1,-19", L"main window: centred at start");
  LaidOut(Main(), L"main", L"329x257\nListBox  3,3 323x225\nStatic  0,233 329x24\n");  // the list after a minimised start
  Check((Style(Main()) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME)) == WS_MINIMIZEBOX && GetMenu(Main()),
        L"minimise box only, fixed border, a menu bar");
  if (HWND d = OpenFname()) {
    const auto shot = LaidOut(d, L"fname", Tr(L"401x289\n"
       L"Button 日付形式(FNAMEmmddhhmmss.BMP) 24,40 257x17\nButton 通番形式(FNAME9999.BMP) 24,64 209x17\n"
       L"Static 初期値 232,64 57x17\nEdit 1 296,64 41x21\nStatic 次回書込値 200,88 89x17\nEdit 2 296,88 41x21\n"
       L"Button Reset 344,88 41x17\nButton 終了時に現在値を保持する 160,112 217x17\n"
       L"Button ユーザ入力形式(保存時に入力ウインドウ表示) 24,136 361x17\nButton ファイル保存名形式 8,8 385x161\n"
       L"Edit W 16,200 369x22\nButton 日付および通番時のファイル先頭文字列 8,176 385x57\nButton 戻る 296,240 97x41\n", L"401x289\n"
       L"Button Date (FNAMEmmddhhmmss.BMP) 24,40 257x17\nButton Number (FNAME9999.BMP) 24,64 209x17\n"
       L"Static Start 232,64 57x17\nEdit 1 296,64 41x21\nStatic Next 200,88 89x17\nEdit 2 296,88 41x21\n"
       L"Button Reset 344,88 41x17\nButton Keep next number at exit 160,112 217x17\n"
       L"Button Ask for a name at every save 24,136 361x17\nButton File names 8,8 385x161\n"
       L"Edit W 16,200 369x22\nButton Name prefix (date and number) 8,176 385x57\nButton Close 296,240 97x41\n"));
    // Inside a frame, where no control lies, the dialog's own background.
    const RECT r = Rect(d), c = Client(d);
    auto at = [&](int x, int y) { return shot[(c.top - r.top + y) * (r.right - r.left) + c.left - r.left + x]; };
    Check(at(90, 120) == at(100, 262), L"a frame shows the dialog's background");
    PostMessageW(d, WM_CLOSE, 0, 0);
  }
  const wstring history = Tr(
      L"1.00-新規作成|1.01-環境設定ﾒﾆｭｰ追加|1.02-保存先ﾃﾞｨﾚｸﾄﾘ異常時の対応|     ｺﾏﾝﾄﾞﾗｲﾝ処理追加(ﾚｼﾞｽﾄﾘ異常対策)|"
      L"1.03-通番の初期値を指定出来る様にした|     前回の現在値を保持出来る様にした|1.04-保存ﾌｧｲﾙ名の一覧を表示する様にした|"
      L"     ｸﾘｯｸしたﾌｧｲﾙ名をさりげなくｸﾘｯﾌﾟﾎﾞｰﾄﾞに吐き出す様にした|     ﾌｧｲﾙ名をﾀﾞﾌﾞﾙｸﾘｯｸするとそのﾌｧｲﾙを表示する様にした|"
      L"     表示の際に関連付けられているｱﾌﾟﾘを使用する様に選択出来る様にした|     PG実行中にVBを起動するとｴﾗｰ終了していた問題の回避|"
      L"     PG実行中にExcelで切取/ｺﾋﾟｰすると画像として取りこんでしまう問題の回避|     保存ﾌｧｲﾙ名に時刻を指定した場合の同一時刻での上書き対策|",
      L"1.00-First release|1.01-Configure menu|1.02-A save directory that has gone is handled|"
      L"     /CLEAR deletes broken settings|1.03-The running number's start can be set|"
      L"     The running number can be kept for the next run|1.04-The saved files are listed|"
      L"     A click puts a file's path on the clipboard|     A double-click shows the file|"
      L"     Optionally in the associated program|     Starting VB no longer ends Pixkeeper with an error|"
      L"     Cells cut or copied in Excel are no longer saved|     Time-stamped names within one second are kept apart|");
  for (int round = 0; round < 2; ++round) {  // twice: the history is filled anew
    HWND d = OpenDialog('A' | kCtrl, AboutTitle(), L"PixkeeperAbout");
    if (!d) return;
    HWND list = GetDlgItem(d, 4003), label = GetDlgItem(d, 4001);
    wstring entries;
    for (int i = 0; i < Send(list, LB_GETCOUNT); ++i) entries += ListEntry(i, list) + L"|";
    Eq(entries, history, L"the history");
    Check(Focus(d) == list, L"About: the list has the focus");
    Check((Style(label) & SS_TYPEMASK) == SS_CENTER && !(Style(label) & WS_BORDER) &&
          !(Style(label, GWL_EXSTYLE) & (WS_EX_STATICEDGE | WS_EX_CLIENTEDGE)), L"the label centred, without a border");
    if (round == 0) LaidOut(d, L"about", wstring(L"273x313\nListBox  16,48 241x177\nButton OK 152,264 113x41\n")
                                         + Tr(L"Static Pixkeeper Ver1.04 8,8 257x17\nButton 更新履歴 8,32 257x225\n",
                                            L"Static Pixkeeper version 1.04 8,8 257x17\nButton Version history 8,32 257x225\n"));
    ExpectCapture(L"behind the About box", round + 1, Numbered(L"W", round + 2), Put("rgb24", 3 + round));
    if (round == 0) Click(GetDlgItem(d, 4004));
    else PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0);
    Check(WaitFor([&] { return !IsWindow(d); }), round == 0 ? L"OK closes it" : L"the close box closes it");
  }
  Stop();
}
