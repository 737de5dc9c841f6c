// Plays the end-to-end scenarios against the real Pixkeeper.exe from inside
// Wine, the way a user and other programs meet it: windows by title and
// class, the list box, the clipboard, the stored settings, the files it
// writes and its beeps. Usage: e2e_driver GROUP (the table below).
// Every check reports its failure and goes on; every wait ends as soon as
// its condition holds.
//
// CTest runs one test per group, e2e_<group>, one at a time; each works in
// build/win/tests/e2e/work/<group>/, and screenshots of the windows go to
// build/win/tests/e2e/work/screenshots/. To run them alone:
//   cmake --build build/win
//   cmake/wine-session.sh build/win ctest --test-dir build/win -R e2e_ --output-on-failure
// The shared harness is in Harness.h and the headers it includes. A new group
// is a Group... function in a file of its own, declared in Groups.h, its name
// in the table of wmain and in the CMake list.

#include "Groups.h"
#include "Harness.h"

using namespace e2e;

int wmain(int argc, wchar_t** argv) {
  const std::map<wstring, void (*)()> groups = {{L"capture", GroupCapture}, {L"naming", GroupNaming},
      {L"list", GroupList}, {L"close", GroupClose}, {L"single", GroupSingle}, {L"windows", GroupWindows},
      {L"dir", GroupDir}, {L"png", GroupPng}, {L"faults", GroupFaults}, {L"owner", GroupOwner}, {L"keep", GroupKeep}, {L"dpi", GroupDpi}, {L"folders", GroupFolders},
      {L"tray", GroupTray}, {L"language", GroupLanguage},
      {L"thumbnails", GroupThumbnails}};
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  work = wstring(self).substr(0, wstring(self).rfind(L'\\')) + L"\\work\\";
  if (argc == 3 && wstring(argv[1]) == L"opened") {  // as the application associated with .bmp
    wchar_t directory[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, directory);
    const wstring record = wstring(argv[2]) + L"|" + directory;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(record.data());
    WriteAll(work + L"list\\opened", Bytes(bytes, bytes + record.size() * 2));
    return 0;
  }
  if (argc < 2 || argc > 3 || groups.count(argv[1]) == 0) {
    Say(L"usage: e2e_driver capture|naming|list|close|single|windows|dir|png|faults|owner|keep|dpi|folders|tray|language|thumbnails"
        L" [ja|en]");
    return 2;
  }
  // The program speaks the session's language; a run meant for the other
  // one would pass without testing what it is for.
  english = PRIMARYLANGID(GetUserDefaultUILanguage()) != LANG_JAPANESE;
  if (argc == 3 && wstring(argv[2]) != (english ? L"en" : L"ja")) {
    Say(L"FAIL: the session speaks " + wstring(english ? L"English" : L"Japanese") + L", not " + argv[2]);
    return 1;
  }
  work += wstring(argv[1]) + L"\\";
  // The last run's folder is moved aside at once, then removed in the
  // background, so that nothing removes the new one.
  const wstring old = work.substr(0, work.size() - 1) + L".old" + to_wstring(GetTickCount());
  if (MoveFileW(work.c_str(), old.c_str())) RunUnix(L"rm -rf " + UnixPath(old));
  baseDir = out = work + L"out\\";
  for (const wstring& directory : {work + L"..", work, out}) CreateDirectoryW(directory.c_str(), nullptr);
  // No window manager on the test display: Wine would wait for one to
  // withdraw each hidden window. Pixkeeper's windows stay unmanaged.
  RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\Pixkeeper.exe\\X11 Driver", L"Managed",
                  REG_SZ, L"N", 4);
  const WNDCLASSW windowClass{0, ViewerProc, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, L"E2eWindow"};
  RegisterClassW(&windowClass);
  owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  viewer = JoinViewer();
  SetDpi(96);  // whatever a run cut short left

  groups.at(argv[1])();

  // What still runs is asked to close, then ended.
  PostMessageW(Main(), WM_CLOSE, 0, 0);
  for (HANDLE process : launched) if (!Ended(process, 3000)) TerminateProcess(process, 1);
  RunUnix(L"kill $(cat " + UnixPath(work + L"xkbevd.pid") + L" 2>/dev/null) 2>/dev/null");
  while (!viewers.empty()) LeaveViewer(viewers.begin()->first);
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\PIXKEEPER");
  Say(wstring(argv[1]) + L": " + to_wstring(checks) + L" checks, " + to_wstring(failures) + L" failed");
  return failures == 0 ? 0 : 1;
}
