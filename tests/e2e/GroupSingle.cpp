#include <windows.h>
#include <shlobj.h>

#include "Harness.h"

using namespace e2e;

// A second copy refuses to start and leaves the first alone; a window of
// another program titled Pixkeeper stops no start; "/CLEAR" while a copy runs
// deletes the settings, which the running copy writes at exit. Stored values
// that stop the start.
void GroupSingle() {
  const Map settings = Numbering(L"S", {{L"StartMode", L"1"}});
  if (!Start(settings, L"S0001.BMP")) return;
  auto state = [] { return Place(Rect(Main())) + L" " + to_wstring(Style(Main())); };  // WS_MINIMIZE included
  const wstring before = state();
  Check(IsIconic(Main()), L"first copy minimised");
  HANDLE second = Launch();
  Says(NoticeTitle(), Tr(L"すでに起動されているので終了します。", L"Pixkeeper is already running. This copy will close.") + L" information", L"the notice", [] {
    Check(!FindWindowExW(nullptr, Main(), kMainClass, nullptr), L"one main window while the notice is up");
  });
  Check(Ended(second), L"the second copy ends after OK");
  Eq(state(), before, L"first copy untouched");
  Check(GetClipboardViewer() == Main(), L"first copy still heads the viewer chain");
  ExpectCapture(L"first copy still captures", 1, L"S0002.BMP", Put("rgb24", 3));
  Check(Ended(Launch(L" \t /clear", false)), L"the clearing copy ends");
  Check(Top(NoticeTitle(), kBox) == nullptr && RegAll() == L"absent", L"/clear deletes the settings, no notice");
  StopStored(With(settings, {{L"PresendValue", L"3"}}), L"the running copy writes the nine keys at exit");

  // A window of another program titled Pixkeeper is no running copy (the
  // file manager's window on the default save folder is titled so). The
  // numbers restart: the first copy's files are passed over.
  HWND other = NewWindow(kMain);
  if (Start(L"S0003.BMP")) Stop();
  DestroyWindow(other);

  // A stored value that cannot be converted stops the start with the error's
  // number and text: no main window, nothing written. "/CLEAR" is the way out.
  for (const Map& bad : {Map{{L"PresendValue", L"abc"}}, Map{{L"ViewMode", L"-40000"}}}) {
    const Map settings = With(bad, {{L"BaseDir", baseDir}});
    Settings(settings);
    HANDLE process = Launch();
    Says(kMain, bad.count(L"ViewMode") ? Tr(L"実行時エラー '6':\r\n\r\nオーバーフローしました。 error",
                                            L"Error 6:\r\n\r\nA number is too large (overflow). error")
                                       : Tr(L"実行時エラー '13':\r\n\r\n型が一致しません。 error",
                                            L"Error 13:\r\n\r\nA value has the wrong type. error"), Join(bad),
         [&] { Check(!Top(kMain, kMainClass), Join(bad) + L": no main window"); });
    Check(Ended(process), Join(bad) + L": the end after OK");
    Eq(RegAll(), Join(settings), Join(bad) + L": settings written");
  }
  Check(Ended(Launch(L"/CLEAR")) && RegAll() == L"absent", L"/CLEAR deletes the settings and ends");
  // With no save directory stored, or a blank one, pictures go into a folder
  // of the program's own in the user's Pictures, made at start.
  wchar_t* known = nullptr;
  SHGetKnownFolderPath(FOLDERID_Pictures, 0, nullptr, &known);
  baseDir = out = known + wstring(L"\\Pixkeeper\\");
  CoTaskMemFree(known);
  // The test prefix has a Pictures folder of its own, not Wine's link into
  // the user's home: resolved, it lies inside the prefix.
  const wstring pictures = UnixPath(out.substr(0, out.size() - 11)), answer = work + L"pictures";
  RunUnix(L"p=$(readlink -f \\\"$WINEPREFIX\\\"); r=$(readlink -f \\\"$WINEPREFIX/drive_c" + pictures +
          L"\\\"); case $r in \\\"$p\\\"/*) echo inside;; *) echo $r;; esac > " + UnixPath(answer));
  Bytes said;
  WaitFor([&] { return !(said = ReadAll(answer)).empty(); });
  Eq(wstring(said.begin(), said.end()), L"inside\n", L"the Pictures folder lies inside the test prefix");
  for (const wchar_t* name : {L"BMP0000.BMP", L""}) RemoveDirectoryW((out + name).c_str()), DeleteFileW((out + name).c_str());
  HWND lookalike = NewWindow(L"Pixkeeper 2");
  if (!Start()) return;
  DestroyWindow(lookalike);
  Check(GetFileAttributesW(out.c_str()) != INVALID_FILE_ATTRIBUTES, L"the folder in Pictures made at start: " + out);
  StopStored({}, L"the defaults stored");
  if (!Start({{L"BaseDir", L"   "}, {L"FTYPE", L"1"}}, L"BMP0000.BMP")) return;
  Stop();
  // Two copies started at once: one runs, the other is refused.
  HANDLE a = Launch(), b = Launch();
  Check(BoxOk(WaitTop(NoticeTitle())), L"one of two copies shows the notice");
  Check(WaitFor([&] { return Ended(a, 0) || Ended(b, 0); }), L"neither copy ended after the notice");
  pk = Ended(a, 0) ? b : a;
  Check(WaitFor(Running), L"the other runs and heads the viewer chain");
  Stop();
}
