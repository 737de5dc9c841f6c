#include "Harness.h"

using namespace e2e;

// A double-click on a listed picture shows it at its size, pixel for pixel,
// centred without clamping; with the mark set the associated application
// opens it. A click puts its path on the clipboard as text, also while
// another program holds the clipboard a moment; held longer, the status line
// says so and the program goes on. A file that has gone or is no picture is
// said. A new start names its first picture with the next free number.
void GroupList() {
  if (!Start(Numbering(L"I"))) return;
  const Picture first = Put("rgb555", 200, Form::kDib, 120);
  ExpectCapture(L"16 bits", 0, L"I0001.BMP", first);
  // The outer size is the picture's + 200 x 480 twips, centred on 1280 x 1024.
  const wchar_t* places[] = {L"533,436 213x152", L"-67,-54 1413x1132"};
  for (int i = 0; i < 2; ++i) {
    ListClick(i, true);
    HWND v = WaitTop(ViewerTitle(), kViewer);
    if (!Check(v != nullptr, L"a double-click opens the viewer")) return;
    Eq(Place(Rect(v)), places[i], L"the viewer's place for the entry selected");
    if (i == 0) {
      const RECT c = Client(v), at{c.left + 3, c.top + 3, c.left + 203, c.top + 123};  // 50 twips in
      Check(WaitFor([&] { return Rgb(Grab(at)) == first.rgb; }, 2000), L"the picture pixel for pixel");
      ExpectCapture(L"larger than the screen, behind it", 1, L"I0002.BMP", Put("rgb24", 1400, Form::kDib, 1100));
    }
    Keys(v, {VK_RETURN, VK_SPACE, 'A'});
    Pause(300);
    Check(IsWindowVisible(v), L"Enter, Space and letters leave the viewer open");
    Keys(v, {VK_ESCAPE});
    Check(WaitFor([&] { return !IsWindow(v); }), L"Esc closes the viewer");
  }

  auto clipIs = [](const wstring& text) { return WaitFor([&] { return ClipText() == text; }, 3000); };
  OpenClipboard(owner);
  ListClick(0);
  const wstring busy = Tr(L"ほかのプログラムがクリップボードを使用中のため、パスをコピーできませんでした。",
                          L"The path was not copied: another program is using the clipboard.");
  Check(WaitFor([&] { return Status() == busy; }),
        L"a click while another program holds the clipboard: said in the status line");
  CloseClipboard();
  Check(Running() && ClipText() != baseDir + L"I0001.BMP", L"a click while the clipboard is held: nothing copied, still running");
  OpenClipboard(owner);
  ListClick(1);
  Pause(300);
  CloseClipboard();
  Check(clipIs(baseDir + L"I0002.BMP"), L"a click puts the path on the clipboard");
  Check(Heard(viewer, [] { PostMessageW(List(), WM_KEYDOWN, VK_UP, 1); }), L"Up: not passed on");
  Check(clipIs(baseDir + L"I0001.BMP"), L"the entry chosen by Up is on the clipboard");
  PostMessageW(List(), WM_KEYDOWN, VK_DOWN, 1);
  Check(clipIs(baseDir + L"I0002.BMP"), L"the entry chosen by Down is on the clipboard");
  Eq(Files(out) + to_wstring(ListCount()), L"I0001.BMP I0002.BMP 2", L"no file and no entry for the text");

  DeleteFileW((out + L"I0002.BMP").c_str());
  ListClick(1, true);
  Says(kMain, Tr(L"対象画像が存在しません。削除された可能性があります。\r\n対象画像名 [", L"The picture does not exist. It may have been deleted.\r\nPicture: [") + baseDir + L"I0002.BMP] error",
       L"message for a missing file",
       [] { ExpectCapture(L"a picture copied while the message is up", 2, L"I0003.BMP", Put("rgb24", 3)); });
  Eq(ListEntry(1), baseDir + L"I0002.BMP", L"the entry stays");
  WriteAll(out + L"I0001.BMP");
  ListClick(0, true);
  Says(kMain, Tr(L"画像を表示できません。\r\n対象画像名 [", L"The picture cannot be shown.\r\nPicture: [") + baseDir + L"I0001.BMP] error", L"a file that is no picture");
  Check(!Top(ViewerTitle(), kViewer) && ListCount() == 3, L"no viewer, the list unchanged");
  Stop();

  // The application associated with .bmp records what it was given.
  wchar_t self[MAX_PATH], program[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  GetFullPathNameW((wstring(self) + L"\\..\\..\\..").c_str(), MAX_PATH, program, nullptr);
  const wstring command = L"\"" + wstring(self) + L"\" opened \"%1\"";
  RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\.bmp", nullptr, REG_SZ, L"pke2e", 12);
  RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\pke2e\\shell\\open\\command", nullptr, REG_SZ,
                  command.c_str(), static_cast<DWORD>((command.size() + 1) * 2));
  RegSet(L"ViewMode", L"1");
  if (!Start(L"I0002.BMP")) return;  // with the mark set; I0001.BMP is kept
  ListClick(0, true);
  Check(WaitFor([] { return !ReadAll(work + L"opened").empty(); }), L"the associated application did not start");
  const Bytes opened = ReadAll(work + L"opened");
  Eq(wstring(reinterpret_cast<const wchar_t*>(opened.data()), opened.size() / 2), baseDir + L"I0002.BMP|" + program,
     L"the file opened, from the program's directory");
  Check(!Top(ViewerTitle(), kViewer), L"no viewer with the mark set");
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\pke2e");
  Stop();
}
