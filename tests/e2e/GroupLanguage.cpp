// The language the program speaks: the session's (Windows' display
// language), or the stored "Language" value where it says "ja" or "en". The
// menus are read from inside the program (MenuReader.cpp); in English no
// text a user reads holds a Japanese character.

#include "Groups.h"
#include "Harness.h"

using namespace e2e;

namespace {

const wstring kJapaneseMenus =
    L"[ファイル(&F)]\n102\t保存先を開く(&O)\tCtrl+O\n-\n101\tPixkeeper終了(&Q)\tCtrl+Q\n[end]\n"
    L"[環境設定(&C)]\n201\t保存ディレクトリ...(&D)\tCtrl+D\n202\t保存ファイル名...(&F)\tCtrl+F\n-\n"
    L"203\t起動時は画面中央に表示する(&P)\tCtrl+P\n204\t最小化状態で起動する(&I)\tCtrl+I\n"
    L"205\t関連付けられたアプリで表示する(&V)\tCtrl+V\n206\tPNG形式で保存する(&G)\tCtrl+G\n"
    L"207\tクリップボードを空にしない(&K)\tCtrl+K\n208\t日付ごとのフォルダに分ける(&Y)\tCtrl+Y\n"
    L"209\tアプリごとのフォルダに分ける(&B)\tCtrl+B\n210\t同じ画像を続けて保存しない(&U)\tCtrl+U\n"
    L"211\t一覧に縮小画像を表示する(&L)\tCtrl+L\n-\n"
    L"231\t取り込みを一時停止する(&T)\tCtrl+T\n232\tWindows の起動時に開始する(&W)\n[end]\n"
    L"[ヘルプ(&H)]\n301\tバージョン情報(&A)\tCtrl+A\n[end]\n";
const wstring kEnglishMenus =
    L"[&File]\n102\t&Open save folder\tCtrl+O\n-\n101\t&Quit Pixkeeper\tCtrl+Q\n[end]\n"
    L"[&Configure]\n201\tSave &directory...\tCtrl+D\n202\t&File names...\tCtrl+F\n-\n"
    L"203\t&Place in the screen's centre at start\tCtrl+P\n204\tStart m&inimised\tCtrl+I\n"
    L"205\t&View with the associated program\tCtrl+V\n206\tSave as PN&G\tCtrl+G\n"
    L"207\t&Keep pictures on the clipboard\tCtrl+K\n208\tA folder per da&y\tCtrl+Y\n"
    L"209\tFolders &by program\tCtrl+B\n210\tSkip &unchanged repeats\tCtrl+U\n"
    L"211\tShow thumbnai&ls\tCtrl+L\n-\n"
    L"231\tPause cap&turing\tCtrl+T\n232\tStart with &Windows\n[end]\n"
    L"[&Help]\n301\t&About Pixkeeper\tCtrl+A\n[end]\n";
const wstring kJapaneseTrayMenu =
    L"[open]\n103\t表示(&S)\n231\t取り込みを一時停止する(&T)\n102\t保存先を開く(&O)\n-\n101\tPixkeeper終了(&Q)\n[end]\n";
const wstring kEnglishTrayMenu =
    L"[open]\n103\t&Show Pixkeeper\n231\tPause cap&turing\n102\t&Open save folder\n-\n101\t&Quit Pixkeeper\n[end]\n";

// The menus as the reader writes them, once it has been loaded into the
// program: a thread of the program's that loads it.
wstring Menus() {
  const wstring dll = work + L"..\\..\\e2e_menu_reader.dll", file = work + L"..\\..\\menus.txt";
  DeleteFileW(file.c_str());
  const std::size_t size = (dll.size() + 1) * sizeof(wchar_t);
  void* remote = VirtualAllocEx(pk, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  if (remote == nullptr || !WriteProcessMemory(pk, remote, dll.c_str(), size, nullptr)) return L"(not injected)";
  auto load = reinterpret_cast<LPTHREAD_START_ROUTINE>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW")));
  HANDLE thread = CreateRemoteThread(pk, nullptr, 0, load, remote, 0, nullptr);
  if (thread == nullptr) return L"(no thread)";
  WaitForSingleObject(thread, 20000);
  CloseHandle(thread);
  VirtualFreeEx(pk, remote, 0, MEM_RELEASE);
  const Bytes bytes = ReadAll(file);
  return wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
}

bool HasJapanese(const wstring& text) {
  return std::any_of(text.begin(), text.end(), [](wchar_t c) {
    return (c >= 0x3000 && c <= 0x30FF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xFF00 && c <= 0xFFEF);
  });
}

// Every text of the program's visible windows and their controls, a line
// each; list entries that are paths (the saved files) left out.
wstring ShownTexts() {
  wstring texts;
  auto add = [&](HWND w) {
    if (!IsWindowVisible(w)) return;
    texts += ClassOf(w) + L" " + Text(w) + L"\n";
    if (ClassOf(w) == L"ListBox") {
      for (int i = 0; i < Send(w, LB_GETCOUNT); ++i) {
        if (ListEntry(i, w).find(L":\\") == wstring::npos) texts += L"  " + ListEntry(i, w) + L"\n";
      }
    }
  };
  for (HWND top = nullptr; (top = FindWindowExW(nullptr, top, nullptr, nullptr)) != nullptr;) {
    DWORD process = 0;
    GetWindowThreadProcessId(top, &process);
    if (process != GetProcessId(pk) || !IsWindowVisible(top)) continue;
    add(top);
    for (HWND c = nullptr; (c = FindWindowExW(top, c, nullptr, nullptr)) != nullptr;) add(c);
  }
  return texts;
}

}  // namespace

void GroupLanguage() {
  const Map settings = Numbering(L"L");
  if (!Start(settings)) return;
  Eq(Menus(), Tr(kJapaneseMenus, kEnglishMenus), L"the menu bar");
  Notice(WM_CONTEXTMENU);
  if (Check(WaitFor([] { return PopupMenu() != nullptr; }), L"the icon's menu did not open")) {
    // Read again until the open menu is in it: on a busy machine the
    // program may not have filled it yet.
    wstring menus;
    WaitFor([&] { return (menus = Menus()).find(L"[open]") != wstring::npos; }, 10000);
    Eq(menus, Tr(kJapaneseMenus + kJapaneseTrayMenu, kEnglishMenus + kEnglishTrayMenu), L"the icon's menu");
    Keys(nullptr, {VK_ESCAPE});
  }
  // Each window, with the status line saying something; none of it in
  // Japanese where the program speaks English.
  Keys(Main(), {'T' | kCtrl});
  Check(WaitFor([] { return !Status().empty(); }), L"Ctrl+T: the status line says the pause");
  wstring shown = ShownTexts();
  for (auto [key, title, cls] : {std::tuple<WORD, wstring, const wchar_t*>{'F' | kCtrl, FnameTitle(), L"PixkeeperFname"},
                                 {'D' | kCtrl, DirTitle(), L"PixkeeperDirConfig"},
                                 {'A' | kCtrl, AboutTitle(), L"PixkeeperAbout"}}) {
    Keys(Main(), {key});
    HWND window = WaitTop(title, cls);
    if (!Check(window != nullptr, title + L" did not open")) continue;
    shown += ShownTexts();
    PostMessageW(window, WM_CLOSE, 0, 0);
    WaitFor([&] { return !IsWindowVisible(window); });
  }
  Check(english != HasJapanese(shown), L"what the windows show is in the session's language:\n" + shown);
  Stop();

  // The stored choice wins over Windows' and is never written.
  const wstring other = english ? L"ja" : L"en";
  if (!Start(With(settings, {{L"Language", other}}))) return;
  Eq(Menus(), english ? kJapaneseMenus : kEnglishMenus, L"the menu bar with Language=" + other);
  StopStored(With(settings, {{L"Language", other}, {L"PresendValue", L"1"}}), L"Language kept as stored");
  // Any other value follows Windows.
  if (!Start(With(settings, {{L"Language", L"fr"}}))) return;
  Eq(Menus(), Tr(kJapaneseMenus, kEnglishMenus), L"the menu bar with Language=fr");
  Stop();
}
