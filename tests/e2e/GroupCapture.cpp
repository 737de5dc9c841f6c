#include "Harness.h"

using namespace e2e;

namespace {

// The system's text for an error code, as the user reads it.
wstring SystemText(DWORD code) {
  wchar_t text[512] = {};
  FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text, 512, nullptr);
  wstring said = text;
  while (!said.empty() && (said.back() == L'\n' || said.back() == L'\r' || said.back() == L' ')) said.pop_back();
  return said;
}
// A beep reaches the X server as a bell; xkbevd writes a line for each, the
// first for the bell it rings itself as it starts.
int Bells() {
  const Bytes bytes = ReadAll(work + L"bells");
  return static_cast<int>(std::count(bytes.begin(), bytes.end(), '\n')) - 1;
}

}  // namespace

// Pictures of every kind become BMP files listed by their paths, with a beep
// each; what is no picture to keep leaves no file, entry or beep. Viewers
// that joined the chain before Pixkeeper hear of every change while it runs
// and after it leaves, also when one of them leaves.
void GroupCapture() {
  const Map settings = Numbering(L"CAP");
  Put("rgb24");
  HWND a = JoinViewer(L"viewer a"), b = JoinViewer(L"viewer b");
  const wstring config = UnixPath(work + L"xkbevd.cf");
  Check(RunUnix(L"echo 'Bell() shell \\\"echo bell >> " + UnixPath(work + L"bells") + L"\\\"' > " + config +
                L"; timeout 300 xkbevd -cfg " + config + L" </dev/null >/dev/null 2>&1 & echo $! > " +
                UnixPath(work + L"xkbevd.pid")) && WaitFor([] { return Bells() >= 0; }), L"xkbevd counts no bells");
  if (!Start(settings)) return;
  Check(ClipEmpty(0) && ListCount() == 0 && Files(out).empty(), L"a picture present at start is discarded");
  // 4935 x 3495 twips with a status line of 360 below the list.
  Eq(Place(Client(Main())), L"260,223 329x257", L"the client area at 3900, 3345 twips, 4935 x 3855");
  int n = 0;
  for (const std::string& kind : TestPictureNames()) {
    ExpectCapture(wstring(kind.begin(), kind.end()), n, Numbered(L"CAP", n + 1), Put(kind)), ++n;
  }
  ExpectCapture(L"bitmap", n, Numbered(L"CAP", n + 1), Put("rgb24", 40, Form::kBitmap)), ++n;
  // PNG only: 24 bits, or 32 with its alpha; a DIB with alpha as CF_DIBV5,
  // and one beside a CF_DIBV5 without alpha.
  const UINT pngFormat = RegisterClipboardFormatW(L"PNG");
  const Picture opaque = MakeTestPicture("rgb24"), withAlpha = AlphaDib(20);
  for (const Picture* p : {&opaque, &withAlpha}) {
    const Bytes png = Png(*p, p == &withAlpha);
    PutAs(pngFormat, png.data(), png.size());
    ExpectCapture(L"PNG", n, Numbered(L"CAP", n + 1), PixelsOf(*p));
    const Bytes file = ReadAll(out + Numbered(L"CAP", ++n));
    Eq(Depth(file), p == &opaque ? L"24" : L"32 ff000000", L"PNG: the depth");
    const std::size_t pixels = p->dib.size() - 124;  // 32 bits from the bottom row, as AlphaDib's
    Check(p == &opaque || (file.size() > pixels && std::equal(file.end() - pixels, file.end(), p->dib.end() - pixels)),
          L"PNG: the alpha kept");
  }
  PutAs(CF_DIBV5, withAlpha.dib.data(), withAlpha.dib.size());
  ExpectCapture(L"DIB with alpha", n, Numbered(L"CAP", n + 1), withAlpha), ++n;
  PutAs(CF_DIB, opaque.dib.data(), opaque.dib.size(), CF_DIBV5, V5Picture(false, 0));
  ExpectCapture(L"DIB beside one without alpha", n, Numbered(L"CAP", n + 1), opaque), ++n;
  Check(WaitFor([&] { return viewers[a].notices >= n && viewers[b].notices >= n; }), L"both earlier viewers hear");

  Check(Heard(a, [] { Put("rgb24", 0, Form::kDibAndText); }, CF_DIB), L"text + picture: not passed on, left");
  Eq(ClipText(), L"セル A1", L"text with a picture is kept");
  // A DIB whose header promises more pixels than it holds: said, no file.
  const Bytes cut(opaque.dib.begin(), opaque.dib.begin() + 40 + (opaque.dib.size() - 40) / 2);
  Check(Heard(a, [&] { PutAs(CF_DIB, cut.data(), cut.size()); }, CF_DIB), L"malformed DIB: not passed on, left");
  Eq(Status(), Tr(L"画像を読み取れないため、保存しませんでした。", L"Not saved: the picture cannot be read."),
     L"malformed DIB: the status line");
  // A PNG cut short, and one whose pixels fail their check sum (the checks
  // themselves are unit-tested).
  const Bytes good = Png(opaque, false);
  Bytes damaged = good;
  damaged[good.size() - 13] ^= 1;
  for (const Bytes& b : {Bytes(good.begin(), good.begin() + 70), damaged}) {
    Check(Heard(a, [&] { PutAs(pngFormat, b.data(), b.size()); }, pngFormat), L"bad PNG: not passed on, left");
  }

  // A save directory that has gone, then a read-only file of the next name,
  // passed over and kept; viewer b has left the chain.
  LeaveViewer(b);
  MoveFileW(out.c_str(), (work + L"away").c_str());
  Check(Heard(a, [] { Put("rgb24"); }, CF_DIB), L"missing directory: not passed on after b left, the picture left");
  Eq(Status(), Tr(L"保存できませんでした: ", L"Could not save ") + out + Numbered(L"CAP", n + 1) + L" (" + SystemText(ERROR_PATH_NOT_FOUND) + L")",
     L"missing directory: the status line");
  Check(GetFileAttributesW(out.c_str()) == INVALID_FILE_ATTRIBUTES && MoveFileW((work + L"away").c_str(), out.c_str()),
        L"no save directory made");
  const wstring locked = out + Numbered(L"CAP", n + 2);
  WriteAll(locked);
  SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY);
  ExpectCapture(L"a file of the next name passed over", n, Numbered(L"CAP", n + 3), Put("rgb24", 3));
  Check(ReadAll(locked) == Bytes{'o', 'l', 'd', 'e', 'r'}, L"read-only file: the older file kept whole");
  wstring files;
  for (int i = 1; i <= n + 3; ++i) files += i == n + 1 ? L"" : Numbered(L"CAP", i) + L" ";
  Eq(Files(out), files, L"the files: none made for the failures, nothing left over");
  HWND c = JoinViewer(L"viewer c");
  Check(Heard(a, [&] { ExpectCapture(L"the next number", n + 1, Numbered(L"CAP", n + 4), Put("rgb24", 5)); }),
        L"viewer a hears through c, ahead of Pixkeeper");
  ListClick(0);  // a path copied by a click is text: no beep for it
  WaitFor([&] { return ClipText() == baseDir + Numbered(L"CAP", 1) && Bells() >= n + 2; }, 3000);
  Pause(300);  // for one too many
  Eq(to_wstring(Bells()), to_wstring(n + 2), L"a beep for each picture saved, none otherwise");
  StopStored(With(settings, {{L"PresendValue", to_wstring(n + 5)}}), L"stored at exit");
  Check(viewers[c].next == a, L"Pixkeeper names a as it leaves");
  Check(Heard(a, [] { PutClipboard([] { return PutText(L"after exit"); }); }), L"viewer a hears after Pixkeeper ended");
}
