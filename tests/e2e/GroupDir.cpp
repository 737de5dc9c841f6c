#include "Harness.h"

using namespace e2e;

namespace {

// The directory list: each line's name, "*" after the open one.
wstring DirShown(HWND dir) {
  wstring shown;
  const LRESULT open = Send(dir, LB_GETCURSEL);
  for (int i = 0; i < Send(dir, LB_GETCOUNT); ++i) {
    const wstring line = ListEntry(i, dir);
    shown += line.substr(line.find(L' ', line.find_first_not_of(L' ')) + 1) + (i == open ? L"*|" : L"|");
  }
  return shown;
}
wstring OpenAt(const wstring& path) {  // "Z:\|a|b*|" for Z:\a\b\ open, without subdirectories
  wstring shown = path.substr(0, 3);
  for (size_t at = 3, end; at < path.size(); at = end + 1) {
    shown += L"|" + path.substr(at, (end = path.find(L'\\', at)) - at);
  }
  return shown + L"*|";
}
HWND OpenDir() { return OpenDialog('D' | kCtrl, DirTitle(), L"PixkeeperDirConfig"); }

}  // namespace

void GroupDir() {
  const wstring top = out, sub = out + L"sub\\";
  CreateDirectoryW(sub.c_str(), nullptr);
  for (const wchar_t* name : {L"beta", L"Alpha", L"サブ", L".hidden"}) CreateDirectoryW((sub + name).c_str(), nullptr);
  wstring lower = sub;
  CharLowerW(lower.data());
  Check(DefineDosDeviceW(0, L"Y:", (work + L"nowhere").c_str()), L"cannot make drive Y:");  // a drive not ready
  HWND d = nullptr;
  if (!Start(Numbering(L"D", {{L"BaseDir", lower}})) || !(d = OpenDir())) return;
  HWND drive = GetDlgItem(d, 3001), dir = GetDlgItem(d, 3002);
  Check(Focus(d) == drive, L"the drive list has the focus");
  Eq(Text(drive).substr(0, 2) + L" " + DirShown(dir), L"Z: " + OpenAt(lower) + L"Alpha|beta|サブ|",
     L"the drive, the hierarchy, the subdirectories sorted, no hidden one");
  LaidOut(d, L"dirconfig", L"321x249\nComboBox Z: 8,8 305x25\nListBox  8,40 305x150\nButton " + ReturnButton() + L" 216,200 97x41\n");
  out = sub, baseDir = lower;
  ExpectCapture(L"behind the dialog, into the directory in force", 0, L"D0001.BMP", Put("rgb24"));
  ListClick(static_cast<int>(Send(dir, LB_GETCOUNT)) - 2, false, dir);  // beta, highlighted only
  Click(GetDlgItem(d, 3003));
  Check(WaitFor([&] { return !IsWindow(d); }), L"戻る closes the dialog");
  CharUpperW((baseDir = sub).data());
  ExpectCapture(L"into the open directory, upper case", 1, L"D0002.BMP", Put("rgb24", 3));

  if (!(d = OpenDir())) return;
  dir = GetDlgItem(d, 3002), drive = GetDlgItem(d, 3001);
  ListClick(static_cast<int>(Send(dir, LB_GETCOUNT)) - 2, true, dir);
  Check(WaitFor([&] { return DirShown(dir) == OpenAt(baseDir + L"beta\\"); }), L"beta opened: " + DirShown(dir));
  // Another drive opens its current directory; a drive that is not ready is
  // refused and the drive list returns.
  const wstring before = DirShown(dir);
  auto pick = [&](const wchar_t* letter) {
    Send(drive, CB_SETCURSEL, Send(drive, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(letter)));
    PostMessageW(d, WM_COMMAND, MAKEWPARAM(3001, CBN_SELCHANGE), reinterpret_cast<LPARAM>(drive));
  };
  pick(L"Y:");
  Says(kMain, Tr(L"ドライブ Y: の準備ができていません。", L"Drive Y: is not ready.") + L" error", L"a drive that is not ready");
  Eq(Text(drive).substr(0, 2) + L" " + DirShown(dir), L"Z: " + before, L"the drive list returns, nothing else changes");
  pick(L"C:");
  Check(WaitFor([&] { return DirShown(dir).rfind(L"C:\\*|", 0) == 0; }), L"C: its own directory: " + DirShown(dir));
  PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0);
  Check(WaitFor([&] { return !IsWindow(d); }), L"the close box closes the dialog");
  out = baseDir = L"C:\\";
  DeleteFileW(L"C:\\D0003.BMP");  // an earlier run's, which would be passed over
  ExpectCapture(L"into the directory open at the close box", 2, L"D0003.BMP", Put("rgb24", 4));
  DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"Y:", nullptr);
  Stop();
  Check(RegAll().find(L"BaseDir=C:\\ ") != wstring::npos, L"the drive's directory stored: " + RegAll());

  // A stored directory that has gone: said once, then the root of its drive
  // is shown and stored.
  const wstring gone = top + L"gone\\";
  RegSet(L"BaseDir", gone);
  if (!Start()) return;
  Keys(Main(), {'D' | kCtrl});
  Says(kMain, Tr(L"前回指定されたディレクトリが存在しないのでルートディレクトリを表示します。\r\n前回指定ディレクトリ[",
                 L"The save directory chosen last does not exist, so the drive's root folder is shown.\r\n"
                 L"Directory chosen last: [") + gone + L"] error", L"the message for a directory that has gone");
  Check(!WaitFor([] { return Top(kMain, kBox) != nullptr; }, 500), L"said once");
  d = WaitTop(DirTitle(), L"PixkeeperDirConfig");
  Check(d && DirShown(GetDlgItem(d, 3002)).rfind(L"Z:\\*|", 0) == 0, L"the root shown");
  Click(GetDlgItem(d, 3003));
  Stop();
  Check(RegAll().find(L"BaseDir=Z:\\ ") != wstring::npos, L"the root stored");
}
