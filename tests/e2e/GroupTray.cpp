#include <windows.h>
#include <shellapi.h>

#include "Harness.h"

using namespace e2e;

namespace {

const wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
wstring Paused() { return Tr(L"取り込みを一時停止しています。", L"Capturing is paused."); }
// The icons that Wine's own tray window shows (this display has no other).
std::vector<HWND> TrayIcons() {
  std::vector<HWND> icons;
  HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
  for (HWND c = tray ? GetWindow(tray, GW_CHILD) : nullptr; c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (IsWindowVisible(c)) icons.push_back(c);
  }
  return icons;
}
std::vector<std::uint32_t> TrayPicture(std::vector<HWND> icons = TrayIcons()) {
  return icons.size() == 1 ? Grab(Rect(icons[0])) : std::vector<std::uint32_t>{};
}
bool NoTrayIcon() { return WaitFor([] { return TrayIcons().empty(); }); }
// Pixkeeper's menu opened by `open`, and an item chosen by its key.
bool Choose(const std::function<void()>& open, WORD key, const wstring& what) {
  open();
  HWND menu = nullptr;
  if (!Check(WaitFor([&] { return (menu = PopupMenu()) != nullptr; }), what + L": the menu did not open")) return false;
  Keys(nullptr, {key});
  return Check(WaitFor([&] { return !IsWindow(menu) || !IsWindowVisible(menu); }), what + L": the menu stays open");
}
bool TrayChoose(WORD key, const wstring& what) { return Choose([] { Notice(WM_CONTEXTMENU); }, key, what); }
wstring RunValue() {
  wchar_t text[1024] = L"(none)";
  DWORD size = sizeof text;
  return RegGetValueW(HKEY_CURRENT_USER, kRun, L"Pixkeeper", RRF_RT_REG_SZ, nullptr, text, &size), text;
}
bool Opened(const wstring& folder) {  // by the file manager, e2e_folder_opener standing in
  Bytes bytes;
  Check(WaitFor([&] { return !(bytes = ReadAll(work + L"opened")).empty(); }), L"no file manager opened");
  Eq(wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2), folder, L"the folder opened");
  return DeleteFileW((work + L"opened").c_str());
}

}  // namespace

// Ctrl+T and the icon's menu pause and resume: a picture put meanwhile stays
// on the clipboard unsaved, and resuming passes over what is there; numbers
// go on without a gap; a new start captures, its number restarting, under the
// next number whose file is not there: the first session's files are kept. The icon is there from the
// start, comes back when the taskbar is re-created and goes with the program
// however it ends; its menu shows the window, opens the save folder and ends
// the program. 保存先を開く says a folder that has gone. Windows の起動時に
// 開始する writes the quoted path to the Run key and removes it; the program
// started from there starts as stored.
void GroupTray() {
  const Map settings = Numbering(L"T");
  if (!Start(settings)) return;
  Check(WaitFor([] { return TrayIcons().size() == 1; }), L"the icon added at start");
  std::vector<std::uint32_t> running;
  Check(WaitFor([&] {  // drawn, and no longer changing
    const auto now = TrayPicture();
    return std::exchange(running, now) == now && std::set<std::uint32_t>(now.begin(), now.end()).size() > 3;
  }), L"the icon drawn in the tray");
  Keys(Main(), {'T' | kCtrl});
  Check(WaitFor([] { return Status() == Paused(); }), L"Ctrl+T: paused, the status line says so: " + Status());
  std::vector<std::uint32_t> paused;
  Check(WaitFor([&] { return (paused = TrayPicture()) != running && !paused.empty(); }), L"paused: the icon shows it");
  Check(Heard(viewer, [] { Put("rgb24"); }, CF_DIB) && Files(out).empty() && ListCount() == 0, L"paused: the picture left, no file, no entry");
  Keys(Main(), {'T' | kCtrl});
  Check(WaitFor([] { return Status().empty(); }) && WorkerIdle() && ListCount() == 0 && IsClipboardFormatAvailable(CF_DIB),
        L"Ctrl+T again: resumed, the picture present not saved");
  // Wine's tray draws the new icon over the old one, where it is
  // transparent: the start's picture does not quite come back.
  Check(WaitFor([&] { return TrayPicture() != paused && !TrayPicture().empty(); }), L"resumed: the icon changes back");
  ExpectCapture(L"resumed: the next picture, the first number", 0, L"T0001.BMP", Put("rgb24", 3));

  Check(TrayChoose('T', L"the icon's pause") && WaitFor([] { return Status() == Paused(); }) &&
        Heard(viewer, [] { Put("pal8"); }, CF_DIB) && ListCount() == 1, L"paused from the icon: not saved");
  Check(TrayChoose('T', L"the icon's resume") && WaitFor([] { return Status().empty(); }) && WorkerIdle() && ListCount() == 1,
        L"resumed from the icon");

  // The taskbar re-created: it knows no icon until the program adds it again.
  NOTIFYICONDATAW gone{};
  gone.cbSize = sizeof gone, gone.hWnd = Main(), gone.uID = 1;
  Check(Shell_NotifyIconW(NIM_DELETE, &gone) && NoTrayIcon(), L"the icon taken away");
  SendMessageTimeoutW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
  Check(WaitFor([] { return TrayIcons().size() == 1; }), L"the icon added again on TaskbarCreated");

  // Shown from the icon: by its menu and by a double-click, restored.
  for (UINT how : {0u, UINT{WM_LBUTTONDBLCLK}}) {
    ShowWindowAsync(Main(), SW_MINIMIZE), WaitFor([] { return IsIconic(Main()) != FALSE; });
    how ? Notice(how) : void(TrayChoose('S', L"表示"));
    Check(WaitFor([] { return !IsIconic(Main()) && IsWindowVisible(Main()); }), how ? L"a double-click restores" : L"表示 restores");
  }

  // The save folder opened by the file manager: the driver stands in for
  // it, as the command of folders rather than the shell's own conversation.
  const wstring command = L"\"" + work + L"..\\..\\e2e_folder_opener.exe\" \"%1\"";
  const wchar_t kFolderOpen[] = L"Software\\Classes\\Folder\\shell\\open";
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, (kFolderOpen + wstring(L"\\ddeexec")).c_str());
  RegSetKeyValueW(HKEY_LOCAL_MACHINE, (kFolderOpen + wstring(L"\\command")).c_str(), nullptr, REG_SZ, command.c_str(),
                  static_cast<DWORD>((command.size() + 1) * 2));
  for (bool icon : {false, true}) {
    icon ? void(TrayChoose('O', L"the icon's 保存先を開く")) : Keys(Main(), {'O' | kCtrl});
    Opened(out.substr(0, out.size() - 1));
  }
  MoveFileW(out.c_str(), (work + L"away").c_str()), Keys(Main(), {'O' | kCtrl});
  Check(WaitFor([] { return Status() == Tr(L"保存先のフォルダがありません: ", L"The save folder does not exist: ") + baseDir; }) && ReadAll(work + L"opened").empty(),
        L"a folder that has gone: said, nothing opened: " + Status());
  MoveFileW((work + L"away").c_str(), out.c_str()), CreateDirectoryW(out.c_str(), nullptr);

  // Start with Windows, chosen in the menu by its keys.
  wchar_t exe[MAX_PATH];
  const wstring self = L"\"" + wstring(exe, GetFullPathNameW((work + L"..\\..\\..\\..\\Pixkeeper.exe").c_str(), MAX_PATH, exe, nullptr)) + L"\"";
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kRun, L"Pixkeeper");
  auto chooseRun = [] { Choose([] { Keys(Main(), {VK_MENU, 'C'}); }, 'W', L"Alt, C, W: Windows の起動時に開始する"); };
  for (const wstring& want : {self, wstring(L"(none)")}) {  // written, then removed
    chooseRun(), Check(WaitFor([&] { return RunValue() == want; }), L"Windows の起動時に開始する: " + RunValue());
  }

  // Ending from the icon's menu takes the icon away; numbers stored.
  TrayChoose('Q', L"Pixkeeper終了");
  Check(Ended(pk) && NoTrayIcon(), L"the icon's 終了 ends the program, the icon removed");
  Eq(RegAll(), Stored(With(settings, {{L"PresendValue", L"2"}})), L"stored at the icon's 終了");

  // A new start captures (the pause is not stored); started as the Run key
  // says, from another folder, minimised as stored.
  const Bytes earlier = ReadAll(out + L"T0001.BMP");
  if (!Start(With(settings, {{L"StartMode", L"1"}}))) return;
  ExpectCapture(L"a new start captures", 0, L"T0002.BMP", Put("rgb24", 7));
  Check(!earlier.empty() && ReadAll(out + L"T0001.BMP") == earlier, L"a new start: the first session's T0001.BMP kept");
  ShowWindowAsync(Main(), SW_RESTORE), WaitFor([] { return !IsIconic(Main()); });
  chooseRun();
  Check(WaitFor([&] { return RunValue() == self; }), L"Windows の起動時に開始する, again: " + RunValue());
  Check(Stop() && NoTrayIcon(), L"the icon removed at WM_CLOSE");
  Check(Run(nullptr, RunValue(), &pk) && (launched.push_back(pk), WaitFor(Running, 30000)) && IsIconic(Main()),
        L"started from the Run key: running, minimised");
  Check(WaitFor([] { return TrayIcons().size() == 1; }), L"started from the Run key: the icon");
  Check(EndSession(true) && NoTrayIcon(), L"the session ends, the icon removed");
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kRun, L"Pixkeeper"), RegDeleteTreeW(HKEY_LOCAL_MACHINE, (kFolderOpen + wstring(L"\\command")).c_str());
}
