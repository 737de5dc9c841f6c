#include "Harness.h"

using namespace e2e;

// Every way of ending stores the nine settings; the running number
// survives to the next start. The temporary files of writes cut short by an
// earlier end are removed at start, and no other file.
void GroupClose() {
  if (!Start(Numbering(L"Q", {{L"StartValue", L"5"}, {L"StartPos", L"1"}}), L"Q0005.BMP")) return;
  Keys(Main(), {'P' | kCtrl, 'I' | kCtrl, 'V' | kCtrl, 'Q' | kCtrl});
  Check(Ended(pk), L"Ctrl+Q ends the program");
  Map stored = Numbering(L"Q", {{L"StartValue", L"5"}, {L"PresendValue", L"6"}, {L"StartMode", L"1"}, {L"StartPos", L"0"},
                                {L"ViewMode", L"1"}});
  Eq(RegAll(), Stored(stored), L"stored after Ctrl+Q, the marks toggled");

  // A save directory over 128 characters, with Japanese names, kept whole.
  for (int i = 0; i < 4; ++i) {
    CreateDirectoryW((baseDir = out += L"スクリーンショット保存先_long_directory_name\\").c_str(), nullptr);
  }
  stored = With(stored, {{L"BaseDir", baseDir}, {L"PresendFlag", L"1"}});
  auto storedAt = [&](const wchar_t* number) { return With(stored, {{L"PresendValue", number}}); };
  WriteAll(out + L"~pk0123456789ab.tmp"), WriteAll(out + L"~pk-mine.tmp");
  if (!Start(stored, L"Q0006.BMP")) return;
  Check(IsIconic(Main()), L"started minimised");
  Eq(Files(out), L"Q0006.BMP ~pk-mine.tmp ", L"a write's leftover removed at start, another file kept");
  StopStored(storedAt(L"7"), L"stored after the close box");

  if (!Start()) return;
  Check(!EndSession(false) && GetClipboardViewer() == Main(), L"still running after a cancelled session end");
  ShowWindowAsync(Main(), SW_RESTORE);
  WaitFor([] { return !IsIconic(Main()); });
  if (!OpenFname()) return;
  ExpectCapture(L"into the long directory read back, behind the dialog", 0, L"Q0007.BMP", Put("rgb24", 4));
  Check(EndSession(true), L"the program ends with the session, dialog and all");
  Eq(RegAll(), Stored(storedAt(L"8")), L"stored at the session end");
}
