#include "Harness.h"

using namespace e2e;

// With the clipboard kept, the picture there at start stays and is not
// saved; each new picture is saved once and left there, and a repeated
// notice of it saves nothing. Without the mark the clipboard is emptied
// again; Ctrl+K sets it, stored at exit.
void GroupKeep() {
  const Picture present = Put("rgb24", 6);
  if (!Start(Numbering(L"K", {{L"KeepClipboard", L"1"}}))) return;
  Check(WorkerIdle() && ListCount() == 0 && IsClipboardFormatAvailable(CF_DIB), L"at start: left there, not saved");
  ExpectCapture(L"kept", 0, L"K0001.BMP", Put("rgb24"), true);
  Send(Main(), WM_DRAWCLIPBOARD);
  Check(WorkerIdle() && ListCount() == 1 && Files(out) == L"K0001.BMP " && IsClipboardFormatAvailable(CF_DIB),
        L"kept: left on the clipboard, saved once");
  ExpectCapture(L"a new picture, kept", 1, L"K0002.BMP", Put("pal8"), true);
  Command(207);
  ExpectCapture(L"the mark cleared: emptied again", 2, L"K0003.BMP", Put("rgb24", 3));
  Keys(Main(), {'K' | kCtrl, 'Q' | kCtrl});
  Check(Ended(pk), L"Ctrl+Q ends the program");
  Eq(RegAll(), Stored(Numbering(L"K", {{L"KeepClipboard", L"1"}, {L"PresendValue", L"4"}})), L"Ctrl+K: stored");
}
