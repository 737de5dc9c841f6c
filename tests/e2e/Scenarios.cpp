// The scenario groups: one CTest test each, run one at a time (one desktop,
// clipboard and registry).

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "E2eDriver.h"

namespace e2e {

namespace {

std::wstring Number(const wchar_t* prefix, int n) {
  wchar_t name[64];
  std::swprintf(name, 64, L"%ls%04d.BMP", prefix, n);
  return name;
}

// Something put on the clipboard that Pixkeeper, ahead of the viewer in the
// chain, must leave alone: done once the viewer hears of it.
void PutIgnored(HWND viewer, const std::function<void()>& put, const std::wstring& what) {
  const int before = viewers[viewer].notices;
  put();
  Check(Notified(viewer, before), what + L": the viewer heard of no change");
}

HWND OpenFname() {
  Keys(Main(), {'F' | kCtrl});
  HWND dialog = WaitTop(kFname, kFnameClass);
  Check(dialog != nullptr, L"Ctrl+F did not open the file-name dialog");
  return dialog;
}
LRESULT Checked(HWND dialog, const std::wstring& text) { return Send(Child(dialog, L"Button", text), BM_GETCHECK); }
HWND EditAt(HWND dialog, int id) { return GetDlgItem(dialog, id); }

const wchar_t kOptDate[] = L"日付形式(FNAMEmmddhhmmss.BMP)", kOptNumber[] = L"通番形式(FNAME9999.BMP)";
const wchar_t kOptUser[] = L"ユーザ入力形式(保存時に入力ウインドウ表示)", kKeep[] = L"終了時に現在値を保持する";

}  // namespace

// Pictures of every kind become BMP files listed by their paths, with a beep
// each; what is no picture to keep leaves no file, entry or beep.
void GroupCapture() {
  Settings({{L"BaseDir", baseDir}, {L"FTYPE", L"1"}, {L"FNAME", L"CAP"}, {L"StartValue", L"1"},
            {L"PresendFlag", L"0"}, {L"StartPos", L"0"}});
  Put("rgb24");
  HWND viewer = JoinViewer(L"e2e viewer");
  StartBellCounter();
  if (!Start()) return;
  Check(ClipEmpty(0), L"a picture on the clipboard at start is discarded");
  Eq(ListCount(), 0, L"list at start");
  Eq(Files(out), L"", L"files at start");

  int n = 0;
  std::wstring files;
  for (const std::string& kind : pixkeeper::testing::TestPictureNames()) {
    const Picture picture = Put(kind);
    const std::wstring name = Number(L"CAP", ++n), what(kind.begin(), kind.end());
    ExpectCapture(what, n - 1, name, picture);
    const Bytes file = ReadAll(out + name);
    Check(file.size() == 14 + picture.dib.size() && std::equal(picture.dib.begin(), picture.dib.end(), file.begin() + 14),
          what + L": the DIB is not written unchanged behind the file header");
  }
  ExpectCapture(L"full screen", n, Number(L"CAP", n + 1), Put("rgb32", 1920, 1080));
  ++n;
  ExpectCapture(L"device-dependent bitmap", n, Number(L"CAP", n + 1), Put("rgb24", 40, 30, Form::kBitmap));
  int width = 0, height = 0, bits = 0;
  HDC screen = GetDC(nullptr);
  DecodeBmp(ReadAll(out + Number(L"CAP", ++n)), width, height, bits);
  Eq(bits, GetDeviceCaps(screen, BITSPIXEL) == 32 ? 32 : 24, L"a bitmap keeps the screen's depth");
  ReleaseDC(nullptr, screen);
  // A two-colour bitmap stays two-colour: 1 white, 0 black.
  const BYTE rows[] = {0xA5, 0, 0x3C, 0};
  Picture mono{"mono", {}, 8, 2, {}};
  for (int i = 0; i < 16; ++i) mono.rgb.insert(mono.rgb.end(), 3, rows[i / 8 * 2] >> (7 - i % 8) & 1 ? 255 : 0);
  PutClipboard([&] { return SetClipboardData(CF_BITMAP, CreateBitmap(8, 2, 1, 1, rows)) != nullptr; });
  ExpectCapture(L"two-colour bitmap", n, Number(L"CAP", n + 1), mono);
  DecodeBmp(ReadAll(out + Number(L"CAP", ++n)), width, height, bits);
  Eq(bits, 1, L"a two-colour bitmap stays two-colour");
  ExpectBells(n, L"a beep for each picture");
  files.clear();
  for (int i = 1; i <= n; ++i) files += Number(L"CAP", i) + L" ";
  Eq(Files(out), files, L"files after the pictures");

  PutIgnored(viewer, [] { Put("rgb24", 0, 0, Form::kDibAndText); }, L"text + picture");
  Eq(ClipText(), L"セル A1", L"text with a picture is kept");
  Check(IsClipboardFormatAvailable(CF_DIB), L"the picture with text is kept");
  const std::uint8_t png[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  PutIgnored(viewer, [&] { PutClipboard([&] { return PutData(RegisterClipboardFormatW(L"PNG"), png, sizeof png); }); }, L"PNG only");
  Bytes truncated(56, 0x5A);
  truncated[0] = 40, truncated[5] = truncated[9] = 3, truncated[12] = 1, truncated[14] = 24;  // 768 x 768, nothing follows
  PutIgnored(viewer, [&] { PutClipboard([&] { return PutData(CF_DIB, truncated.data(), truncated.size()); }); }, L"truncated DIB");
  truncated[0] = 7;
  PutIgnored(viewer, [&] { PutClipboard([&] { return PutData(CF_DIB, truncated.data(), truncated.size()); }); }, L"unknown header");
  Check(CountClipboardFormats() > 0, L"a malformed picture is left on the clipboard");

  // A save directory that has gone, and a read-only file of the next name.
  MoveFileW(out.c_str(), (work + L"away").c_str());
  PutIgnored(viewer, [] { Put("rgb24"); }, L"missing directory");
  Check(IsClipboardFormatAvailable(CF_DIB), L"the picture stays after a failed write");
  Check(GetFileAttributesW(out.c_str()) == INVALID_FILE_ATTRIBUTES, L"no save directory made");
  MoveFileW((work + L"away").c_str(), out.c_str());
  const std::wstring locked = out + Number(L"CAP", n + 2);
  FILE* older = _wfopen(locked.c_str(), L"wb");
  std::fputs("older", older);
  std::fclose(older);
  SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY);
  PutIgnored(viewer, [] { Put("rgb24", 3, 3); }, L"read-only file");
  Check(ReadAll(locked) == Bytes{'o', 'l', 'd', 'e', 'r'}, L"a read-only older file is kept whole");
  Check(IsClipboardFormatAvailable(CF_DIB), L"the picture stays after a refused write");
  Eq(ListCount(), n, L"no entry for what was not written");
  Eq(Files(out), files + Number(L"CAP", n + 2) + L" ", L"no other file (nor a temporary one)");

  // The next picture gets the number after those used up.
  ExpectCapture(L"after the failed writes", n, Number(L"CAP", n + 3), Put("rgb24", 5, 5));
  ExpectBells(n + 1, L"no beep for what was not saved");
  Check(Stop(), L"stop");
  Eq(Reg(L"PresendValue"), std::to_wstring(n + 4), L"running number stored");
}

// The three naming schemes, chosen by the stored settings.
void GroupNaming() {
  JoinViewer(L"e2e viewer");
  Settings({{L"BaseDir", baseDir}, {L"FTYPE", L"1"}, {L"FNAME", L"NUM"}, {L"StartValue", L"0012"},
            {L"PresendFlag", L"0"}, {L"PresendValue", L"37"}, {L"StartPos", L"0"}});
  if (!Start()) return;
  ExpectCapture(L"start value 0012", 0, L"NUM0012.BMP", Put("rgb24"));
  Stop();
  Eq(Reg(L"PresendValue"), L"13", L"number reached, stored over 37");

  RegSet(L"PresendFlag", L"1");
  RegSet(L"FNAME", L"画像");
  if (!Start()) return;
  ExpectCapture(L"carried over, Japanese prefix", 0, L"画像0013.BMP", Put("rgb24"));
  Stop();

  RegSet(L"FNAME", L"");
  RegSet(L"PresendValue", L"9998");
  if (!Start()) return;
  ExpectCapture(L"9998", 0, L"9998.BMP", Put("rgb24"));
  ExpectCapture(L"9999", 1, L"9999.BMP", Put("rgb24", 9));
  ExpectCapture(L"0000 after 9999", 2, L"0000.BMP", Put("rgb24", 11));
  Stop();
  Eq(Reg(L"PresendValue"), L"1", L"number after the wrap");

  // Three pictures within one second get -2 and -3; the next second none.
  Settings({{L"BaseDir", baseDir}, {L"FTYPE", L"0"}, {L"FNAME", L"DT"}, {L"StartPos", L"0"}});
  if (!Start()) return;
  auto nextSecond = [] {
    SYSTEMTIME start, now;
    GetLocalTime(&start);
    do GetLocalTime(&now); while (now.wSecond == start.wSecond);
    wchar_t stamp[16];
    std::swprintf(stamp, 16, L"%02u%02u%02u%02u%02u", now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
    return std::wstring(stamp);
  };
  std::wstring stamp = nextSecond();
  for (int i = 0; i < 3; ++i) {
    Put("rgb24");
    Check(ClipEmpty(900), L"a picture not taken within the second");
  }
  WaitFor([] { return ListCount() >= 3; });
  Eq(ListEntry(0), baseDir + L"DT" + stamp + L".BMP", L"stamp of the local month-day-time");
  Eq(ListEntry(1), baseDir + L"DT" + stamp + L"-2.BMP", L"second in the same second");
  Eq(ListEntry(2), baseDir + L"DT" + stamp + L"-3.BMP", L"third in the same second");
  stamp = nextSecond();
  ExpectCapture(L"a new second", 3, L"DT" + stamp + L".BMP", Put("rgb24"));
  Stop();

  // User input: the save dialog asks for each name.
  Settings({{L"BaseDir", baseDir}, {L"FTYPE", L"2"}, {L"StartPos", L"0"}});
  if (!Start()) return;
  const Picture first = Put("rgb24");
  HWND dialog = WaitTop(kSaveDialog, kDialogClass);
  if (!Check(dialog != nullptr, L"the save dialog did not open")) return;
  Check(GetWindow(dialog, GW_OWNER) == Main(), L"save dialog owned by the main window");
  Eq(Text(GetDlgItem(dialog, 1137)), L"out", L"save dialog opens in the save directory");
  Eq(Text(GetDlgItem(dialog, 1136)), L"画像ﾌｧｲﾙ (*.BMP)", L"save dialog filter");
  Check(!IsWindowVisible(GetDlgItem(dialog, 1040)), L"save dialog without the read-only check box");
  Send(Child(dialog, L"Edit"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"typed_name"));
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  ExpectCapture(L"the name as typed", 0, L"typed_name", first);
  // Cancelled: USERINPUT.BMP; a picture copied meanwhile is asked for next.
  const Picture cancelled = Put("rgb24", 7);
  dialog = WaitTop(kSaveDialog, kDialogClass);
  const Picture later = Put("rgb24", 13);
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  ExpectCapture(L"cancelled", 1, L"USERINPUT.BMP", cancelled, true);
  WaitFor([&] { return !IsWindow(dialog); });
  dialog = WaitTop(kSaveDialog, kDialogClass);
  if (!Check(dialog != nullptr, L"a picture copied while the save dialog was open was dropped")) return;
  Send(Child(dialog, L"Edit"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"later.BMP"));
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  ExpectCapture(L"copied while the dialog was open", 2, L"later.BMP", later);
  Stop();
}

// The file-name dialog: what it shows, what its controls change, what the
// next capture uses and what is stored at exit.
void GroupFname() {
  JoinViewer(L"e2e viewer");
  Settings({{L"BaseDir", baseDir}, {L"FTYPE", L"0"}, {L"FNAME", L"BMP"}, {L"StartValue", L"0"},
            {L"PresendFlag", L"0"}, {L"StartPos", L"0"}});
  if (!Start()) return;
  HWND dialog = OpenFname();
  if (!dialog) return;
  HWND start = EditAt(dialog, 2012), next = EditAt(dialog, 2014), prefix = EditAt(dialog, 2018);
  Eq(Checked(dialog, kOptDate), 1, L"date option from the settings");
  Eq(Text(prefix), L"BMP", L"prefix box");
  Eq(Text(next), L"0", L"next-value box");
  Check(!IsWindowEnabled(next), L"the next-value box is read-only");

  Click(Child(dialog, L"Button", kOptNumber));
  WaitFor([&] { return Checked(dialog, kOptNumber) == 1; });
  Eq(Checked(dialog, kOptNumber), 1, L"number option selected");
  Eq(Checked(dialog, kOptDate), 0, L"date option cleared");
  ExpectCapture(L"behind the dialog, by the option chosen", 0, L"BMP0000.BMP", Put("rgb24", 6));

  Send(start, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  Type(start, L"1a2-3");
  Eq(Text(start), L"123", L"only digits pass");
  Type(start, L"45");
  Eq(Text(start), L"1234", L"at most four digits");
  // Keys come through the dialog's loop in order: once the letter typed
  // after Return and Esc has arrived, those two were handled.
  for (WORD key : {VK_RETURN, VK_ESCAPE}) PostMessageW(start, WM_KEYDOWN, key, 1);
  Send(prefix, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  Type(prefix, L"PK");
  PostMessageW(prefix, WM_CHAR, L'_', 1);
  Check(WaitFor([&] { return Text(prefix) == L"PK_"; }), L"prefix typed");
  Check(IsWindowVisible(dialog), L"Return and Esc do not close the dialog");
  Click(Child(dialog, L"Button", kKeep));
  WaitFor([&] { return Checked(dialog, kKeep) == 1; });
  Eq(Checked(dialog, kKeep), 1, L"keep-number check box");
  Click(Child(dialog, L"Button", L"Reset"));
  WaitFor([&] { return Text(next) == L"1234"; });
  Eq(Text(next), L"1234", L"Reset shows the start value as the next value");
  Click(Child(dialog, L"Button", L"戻る"));
  Check(WaitFor([&] { return !IsWindowVisible(dialog); }), L"戻る hides the dialog");
  ExpectCapture(L"after the dialog", 1, L"PK_1234.BMP", Put("rgb24"));
  Stop();
  Eq(RegAll(), L"BaseDir=" + baseDir + L" FNAME=PK_ FTYPE=1 PresendFlag=1 PresendValue=1235 StartMode=0 "
               L"StartPos=0 StartValue=1234 ViewMode=0 ", L"stored after the dialog");

  if (!Start() || !(dialog = OpenFname())) return;
  start = EditAt(dialog, 2012), next = EditAt(dialog, 2014), prefix = EditAt(dialog, 2018);
  Eq(Checked(dialog, kOptNumber), 1, L"number option from the settings");
  Eq(Checked(dialog, kKeep), 1, L"check box from PresendFlag");
  Eq(Text(next), L"1235", L"next value carried over");
  // Reset with an empty start box fills in 0; the close box keeps the
  // option and the number but not the texts.
  Send(start, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  Click(Child(dialog, L"Button", L"Reset"));
  WaitFor([&] { return Text(next) == L"0"; });
  Eq(Text(start), L"0", L"Reset with an empty box fills in 0");
  Eq(Text(next), L"0", L"Reset with an empty box gives the next value 0");
  Click(Child(dialog, L"Button", kOptUser));
  Send(prefix, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"ZZ"));
  PostMessageW(dialog, WM_CLOSE, 0, 0);
  Check(WaitFor([&] { return !IsWindowVisible(dialog); }), L"the close box closes the dialog");
  const Picture picture = Put("rgb24");
  HWND save = WaitTop(kSaveDialog, kDialogClass);
  if (Check(save != nullptr, L"the option chosen before the close box did not take effect")) {
    PostMessageW(save, WM_COMMAND, IDCANCEL, 0);
    ExpectCapture(L"user-input option kept after the close box", 0, L"USERINPUT.BMP", picture);
  }
  Stop();
  Eq(Reg(L"FTYPE"), L"2", L"option stored after the close box");
  Eq(Reg(L"FNAME"), L"PK_", L"FNAME not stored by the close box");
  Eq(Reg(L"StartValue"), L"1234", L"StartValue not stored by the close box");
  Eq(Reg(L"PresendValue"), L"0", L"the reset number kept after the close box");
}

// A click on a listed file puts its path on the clipboard as text; a
// double-click on a file that has gone shows the two-line message.
void GroupList() {
  HWND viewer = JoinViewer(L"e2e viewer");
  Settings({{L"BaseDir", baseDir}, {L"FTYPE", L"1"}, {L"FNAME", L"L"}, {L"StartValue", L"1"},
            {L"PresendFlag", L"0"}, {L"StartPos", L"0"}});
  StartBellCounter();
  if (!Start()) return;
  ExpectCapture(L"first", 0, L"L0001.BMP", Put("rgb24"));
  ExpectCapture(L"second", 1, L"L0002.BMP", Put("rgb24", 8));
  auto clipIs = [](const std::wstring& text) { return WaitFor([&] { return ClipText() == text; }, 3000); };
  PutIgnored(viewer, [] { ListClick(0); }, L"click");
  Check(clipIs(baseDir + L"L0001.BMP"), L"a click puts the path on the clipboard");
  Check(!IsClipboardFormatAvailable(CF_DIB), L"only text on the clipboard");
  HWND list = Child(Main(), L"ListBox");
  PostMessageW(list, WM_KEYDOWN, VK_DOWN, 1);
  Check(clipIs(baseDir + L"L0002.BMP"), L"the entry chosen by Down is on the clipboard");
  PostMessageW(list, WM_KEYDOWN, VK_UP, 1);
  Check(clipIs(baseDir + L"L0001.BMP"), L"the entry chosen by Up is on the clipboard");
  Eq(ListCount(), 2, L"list unchanged by the path copied");
  Eq(Files(out), L"L0001.BMP L0002.BMP ", L"no file written for the text");

  DeleteFileW((out + L"L0002.BMP").c_str());
  ListClick(1, true);
  HWND box = WaitBox(kMain);
  if (Check(box != nullptr, L"no message for a missing file")) {
    Eq(BoxText(box), L"対象画像が存在しません。削除された可能性があります。\r\n対象画像名 [" + baseDir + L"L0002.BMP]",
       L"message for a missing file");
    Eq(BoxIcon(box), L"error", L"its icon");
    ExpectCapture(L"a picture copied while the message is up", 2, L"L0003.BMP", Put("rgb24", 3));
    Check(BoxOk(box), L"the message closes with OK");
  }
  Eq(ListEntry(1), baseDir + L"L0002.BMP", L"the entry stays");
  ExpectBells(3, L"a beep for each picture and none for the paths");
  Stop();
}

// Every way of ending stores the nine settings; the running number
// survives to the next start.
void GroupClose() {
  JoinViewer(L"e2e viewer");
  Settings({{L"BaseDir", baseDir}, {L"FTYPE", L"1"}, {L"FNAME", L"Q"}, {L"StartValue", L"5"}, {L"PresendFlag", L"0"}});
  if (!Start()) return;
  ExpectCapture(L"first run", 0, L"Q0005.BMP", Put("rgb24"));
  Keys(Main(), {'P' | kCtrl, 'I' | kCtrl, 'V' | kCtrl, 'Q' | kCtrl});
  Check(Ended(pk), L"Ctrl+Q ends the program");
  Eq(RegAll(), L"BaseDir=" + baseDir + L" FNAME=Q FTYPE=1 PresendFlag=0 PresendValue=6 StartMode=1 "
               L"StartPos=0 StartValue=5 ViewMode=1 ", L"stored after Ctrl+Q, the marks toggled");
  ExpectNineKeys(L"Ctrl+Q");

  // A save directory over 128 characters, Japanese names in it, kept whole.
  for (int i = 0; i < 4; ++i) {
    baseDir = out += L"スクリーンショット保存先_long_directory_name\\";
    CreateDirectoryW(out.c_str(), nullptr);
  }
  RegSet(L"BaseDir", baseDir);
  RegSet(L"PresendFlag", L"1");
  if (!Start()) return;
  Check(IsIconic(Main()) != FALSE, L"started minimised");
  ExpectCapture(L"second run", 0, L"Q0006.BMP", Put("rgb24", 6));
  Stop();
  Eq(Reg(L"PresendValue"), L"7", L"running number after the close box");
  Eq(Reg(L"BaseDir"), baseDir, L"long save directory stored whole");
  ExpectNineKeys(L"close box");

  if (!Start()) return;
  Check(Send(Main(), WM_QUERYENDSESSION) != 0, L"the session may end");
  Send(Main(), WM_ENDSESSION, FALSE);
  Check(!Ended(pk, 300) && GetClipboardViewer() == Main(), L"still running after a cancelled session end");
  ExpectCapture(L"third run, into the long directory read back", 0, L"Q0007.BMP", Put("rgb24", 4));
  RegClear();
  Send(Main(), WM_QUERYENDSESSION);
  Send(Main(), WM_ENDSESSION, TRUE);
  Check(Ended(pk), L"the program ends with the session");
  Eq(Reg(L"PresendValue"), L"8", L"running number after the session end");
  ExpectNineKeys(L"session end");

  if (!Start()) return;
  ShowWindowAsync(Main(), SW_RESTORE);
  WaitFor([] { return !IsIconic(Main()); });
  if (!OpenFname()) return;
  ExpectCapture(L"behind the dialog", 0, L"Q0008.BMP", Put("rgb24", 4));
  Send(Main(), WM_QUERYENDSESSION);
  Send(Main(), WM_ENDSESSION, TRUE);
  Check(Ended(pk), L"the program ends with the session, dialog and all");
  Eq(Reg(L"PresendValue"), L"9", L"running number after the session end with the dialog open");
}

// A second copy refuses to start and leaves the first alone; "/CLEAR" while
// a copy runs deletes the settings, which the running copy writes at exit.
void GroupSingle() {
  JoinViewer(L"e2e viewer");
  Settings({{L"BaseDir", baseDir}, {L"FTYPE", L"1"}, {L"FNAME", L"S"}, {L"StartValue", L"1"},
            {L"PresendFlag", L"0"}, {L"StartMode", L"1"}});
  if (!Start()) return;
  HANDLE first = pk;
  ExpectCapture(L"first copy", 0, L"S0001.BMP", Put("rgb24"));
  auto state = [] {
    const RECT r = Rect(Main(), nullptr);
    return std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L" " + std::to_wstring(Style(Main())) +
           L" " + std::to_wstring(IsIconic(Main()));
  };
  const std::wstring before = state();
  Check(IsIconic(Main()) != FALSE, L"first copy minimised");

  HANDLE second = Launch();
  HWND box = WaitBox(kNotice);
  if (Check(box != nullptr, L"no notice from a second copy")) {
    Eq(BoxText(box), L"すでに起動されているので終了します。", L"notice text");
    Eq(BoxIcon(box), L"information", L"notice icon");
    Eq(CountTop(kMain, kMainClass), 1, L"one main window while the notice is up");
    Check(BoxOk(box), L"the notice closes with OK");
  }
  Check(Ended(second), L"the second copy ends after OK");
  Eq(state(), before, L"first copy untouched");
  Eq(ListEntry(0), baseDir + L"S0001.BMP", L"first copy's list kept");
  Check(GetClipboardViewer() == Main(), L"first copy still heads the viewer chain");
  ExpectCapture(L"first copy still captures", 1, L"S0002.BMP", Put("rgb24", 3));

  HANDLE extra = Launch(L"/CLEAR now");
  Check(BoxOk(WaitBox(kNotice)), L"'/CLEAR now' starts normally and meets the first copy");
  Check(Ended(extra), L"'/CLEAR now' ends after OK");
  Eq(Reg(L"FNAME"), L"S", L"'/CLEAR now' cleared nothing");
  Check(Ended(Launch(L"/clear")), L"the clearing copy ends");
  Eq(CountTop(kNotice, kDialogClass), 0, L"no notice from the clearing copy");
  Eq(RegAll(), L"absent", L"/clear deleted the settings");
  Check(Main() != nullptr, L"first copy still runs");
  pk = first;
  Stop();
  ExpectNineKeys(L"the running copy at exit");
  Eq(Reg(L"PresendValue"), L"3", L"running number written again");
  Eq(Reg(L"StartMode"), L"1", L"start mode written again");

  // A window of another program titled Pixkeeper blocks the start too.
  HWND other = NewWindow(kMain);
  HANDLE refused = Launch();
  Check(BoxOk(WaitBox(kNotice)), L"notice because of another program's window");
  Check(Ended(refused), L"refused by the other window");
  DestroyWindow(other);

  // Two copies started at once: one runs, the other is refused.
  HANDLE a = Launch(), b = Launch();
  Check(BoxOk(WaitBox(kNotice)), L"one of two copies shows the notice");
  Check(WaitFor([&] { return Ended(a, 0) || Ended(b, 0); }, 10000), L"neither copy ended after the notice");
  pk = Ended(a, 0) ? b : a;
  Check(WaitFor([] { return Main() != nullptr && GetClipboardViewer() == Main() && IsWindowVisible(Main()); }),
        L"the other heads the viewer chain");
  Eq(CountTop(kMain, kMainClass), 1, L"one main window");
  Stop();
}

// A stored value that cannot be converted stops the start with the error's
// number and text: no main window, nothing written. "/CLEAR" is the way out.
void GroupValues() {
  auto refused = [](const std::wstring& what, int number, const std::wstring& text,
                    std::initializer_list<std::pair<std::wstring, std::wstring>> values) {
    Settings(values);
    RegSet(L"BaseDir", baseDir);
    const std::wstring stored = RegAll();
    HANDLE process = Launch();
    HWND box = WaitBox(kMain);
    if (Check(box != nullptr, what + L": no error message")) {
      if (number != 0) Eq(BoxText(box), L"実行時エラー '" + std::to_wstring(number) + L"':\r\n\r\n" + text, what);
      Check(Top(kMain, kMainClass) == nullptr, what + L": a main window is shown");
      BoxOk(box);
    }
    Check(Ended(process), what + L": the program does not end");
    Eq(RegAll(), stored, what + L": settings written");
  };
  const wchar_t mismatch[] = L"型が一致しません。", overflow[] = L"オーバーフローしました。";
  for (const wchar_t* key : {L"FTYPE", L"PresendFlag", L"PresendValue", L"StartPos", L"StartMode", L"ViewMode"}) {
    refused(key + std::wstring(L" letters"), 13, mismatch, {{key, L"abc"}});
    refused(key + std::wstring(L" empty"), 13, mismatch, {{key, L""}});
    refused(key + std::wstring(L" 40000"), 6, overflow, {{key, L"40000"}});
    refused(key + std::wstring(L" -40000"), 6, overflow, {{key, L"-40000"}});
  }
  refused(L"StartValue letters with PresendFlag 0", 13, mismatch, {{L"StartValue", L"12x"}, {L"PresendFlag", L"0"}});
  refused(L"FTYPE 3", 0, L"", {{L"FTYPE", L"3"}});

  Settings({{L"BaseDir", baseDir}, {L"StartPos", L"abc"}});
  Check(Ended(Launch(L"/CLEAR")), L"/CLEAR ends by itself");
  Eq(RegAll(), L"absent", L"/CLEAR deleted the settings");
  if (!Start()) return;
  Stop();
  Eq(Reg(L"StartPos"), L"1", L"default StartPos stored");
  Eq(Reg(L"BaseDir"), L"C:\\", L"default BaseDir stored");
}

// Viewers that joined the chain before Pixkeeper keep hearing of every
// change while it runs and after it leaves, also when one of them leaves.
void GroupViewers() {
  Settings({{L"BaseDir", baseDir}, {L"FTYPE", L"1"}, {L"FNAME", L"V"}, {L"StartValue", L"1"}, {L"StartPos", L"0"}});
  HWND a = JoinViewer(L"viewer a"), b = JoinViewer(L"viewer b");
  if (!Start()) return;
  int na = viewers[a].notices, nb = viewers[b].notices;
  ExpectCapture(L"picture", 0, L"V0001.BMP", Put("rgb24"));
  Check(Notified(b, nb) && Notified(a, na), L"both earlier viewers hear of a picture");
  na = viewers[a].notices;
  PutClipboard([] { return PutText(L"viewer text"); });
  Check(Notified(a, na), L"viewer a hears of text");

  LeaveViewer(b);
  na = viewers[a].notices;
  ExpectCapture(L"picture after b left", 1, L"V0002.BMP", Put("rgb24", 5));
  Check(Notified(a, na), L"viewer a still hears after b left");

  HWND c = JoinViewer(L"viewer c");
  Eq(reinterpret_cast<std::uintptr_t>(viewers[c].next), reinterpret_cast<std::uintptr_t>(Main()), L"c ahead of Pixkeeper");
  na = viewers[a].notices;
  ExpectCapture(L"picture with a viewer ahead of Pixkeeper", 2, L"V0003.BMP", Put("rgb24", 7));
  Check(Notified(a, na), L"viewer a hears through c and Pixkeeper");

  Stop();
  Eq(reinterpret_cast<std::uintptr_t>(viewers[c].next), reinterpret_cast<std::uintptr_t>(a), L"Pixkeeper names a as it leaves");
  na = viewers[a].notices;
  PutClipboard([] { return PutText(L"after exit"); });
  Check(Notified(a, na), L"viewer a hears after Pixkeeper ended");
}

namespace {

// A control of `top` of that class and text (any text if empty) at that
// place in its client area, within a pixel.
void ExpectControl(HWND top, const wchar_t* cls, const std::wstring& text, int x, int y, int w, int h) {
  std::wstring seen;
  for (HWND child = GetWindow(top, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t name[32] = {};
    GetClassNameW(child, name, 32);
    const RECT r = Rect(child, top);
    if (_wcsicmp(name, cls) != 0 || (!text.empty() && Text(child) != text)) continue;
    if (std::abs(r.left - x) <= 1 && std::abs(r.top - y) <= 1 && std::abs(r.right - r.left - w) <= 1 &&
        std::abs(r.bottom - r.top - h) <= 1) return;
    seen += L" " + std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L" " +
            std::to_wstring(r.right - r.left) + L"x" + std::to_wstring(r.bottom - r.top);
  }
  Check(false, std::wstring(cls) + L" '" + text + L"' not at " + std::to_wstring(x) + L"," + std::to_wstring(y) +
                   L" " + std::to_wstring(w) + L"x" + std::to_wstring(h) + L"; seen:" + seen);
}

// The screen under a window, saved to look at; a window with text drawn has
// many shades, an empty one a few.
Grab Screenshot(HWND window, const std::wstring& name) {
  const RECT r = Rect(window, nullptr);
  Grab shot(r.left, r.top, r.right - r.left, r.bottom - r.top);
  CreateDirectoryW((work + L"..\\screenshots").c_str(), nullptr);
  shot.Save(work + L"..\\screenshots\\" + name + L".bmp");
  std::set<std::uint32_t> shades(shot.pixels.begin(), shot.pixels.end());
  Check(shades.size() > 8, name + L": the screenshot shows no text");
  return shot;
}

// The list at 120, 120 twips of the client, as wide and high as the window
// less 180 and 600 twips; a list box shows whole lines only and may be up to
// a line shorter.
void ExpectList(HWND main) {
  const RECT outer = Rect(main, nullptr), list = Rect(Child(main, L"ListBox"), main);
  const int w = outer.right - outer.left, h = outer.bottom - outer.top, listH = list.bottom - list.top;
  ExpectControl(main, L"ListBox", L"", 3, 3, w - 12, listH <= h - 40 && listH > h - 64 ? listH : h - 40);
}

}  // namespace

// The main window and the file-name dialog as laid out (twips at 15 to a
// pixel), with screenshots under work\screenshots.
void GroupGeometry() {
  JoinViewer(L"e2e viewer");
  Settings({{L"BaseDir", baseDir}, {L"FTYPE", L"1"}, {L"FNAME", L"G"}, {L"StartValue", L"1"}, {L"StartPos", L"0"}});
  if (!Start()) return;
  ExpectCapture(L"an entry to show", 0, L"G0001.BMP", Put("rgb24"));
  HWND main = Main();
  RECT client = ClientOnScreen(main);
  Near(client.right - client.left, 329, L"client width (4935 twips)");
  Near(client.bottom - client.top, 233, L"client height (3495 twips)");
  Near(client.left, 260, L"client left (3900 twips)");
  Near(client.top, 223, L"client top (3345 twips)");
  Eq(Style(main) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), WS_MINIMIZEBOX, L"minimise box only, fixed border");
  Check(GetMenu(main) != nullptr, L"menu bar");
  ExpectList(main);
  Screenshot(main, L"main");

  HWND dialog = OpenFname();
  if (dialog) {
    client = ClientOnScreen(dialog);
    const RECT r = Rect(dialog, nullptr);
    Near(client.right - client.left, 401, L"dialog client width (6015 twips)");
    Near(client.bottom - client.top, 289, L"dialog client height (4335 twips)");
    Near(r.left, (1280 - (r.right - r.left)) / 2, L"dialog centred across");
    Near(r.top, (1024 - (r.bottom - r.top)) / 2 - 20, L"dialog centred, 300 twips high");
    Eq(Style(dialog) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME | WS_SYSMENU), WS_SYSMENU, L"dialog: close box only, fixed");
    Check(!(Style(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW) &&
              ((Style(dialog, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) || GetWindow(dialog, GW_OWNER)),
          L"dialog: no task-bar button");
    ExpectControl(dialog, L"Button", L"ファイル保存名形式", 8, 8, 385, 161);
    ExpectControl(dialog, L"Button", kOptDate, 24, 40, 257, 17);
    ExpectControl(dialog, L"Button", kOptNumber, 24, 64, 209, 17);
    ExpectControl(dialog, L"Static", L"初期値", 232, 64, 57, 17);
    ExpectControl(dialog, L"Edit", L"", 296, 64, 41, 21);
    ExpectControl(dialog, L"Static", L"次回書込値", 200, 88, 89, 17);
    ExpectControl(dialog, L"Edit", L"", 296, 88, 41, 21);
    ExpectControl(dialog, L"Button", L"Reset", 344, 88, 41, 17);
    ExpectControl(dialog, L"Button", kKeep, 160, 112, 217, 17);
    ExpectControl(dialog, L"Button", kOptUser, 24, 136, 361, 17);
    ExpectControl(dialog, L"Button", L"日付および通番時のファイル先頭文字列", 8, 176, 385, 57);
    ExpectControl(dialog, L"Edit", L"G", 16, 200, 369, 22);
    ExpectControl(dialog, L"Button", L"戻る", 296, 240, 97, 41);
    const Grab shot = Screenshot(dialog, L"fname");
    // Inside a frame, where no control lies, the dialog's own background.
    const int dx = client.left - r.left, dy = client.top - r.top;
    Eq(shot.pixels[(dy + 120) * shot.width + dx + 90], shot.pixels[(dy + 262) * shot.width + dx + 100],
       L"a frame shows the dialog's background");
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    WaitFor([&] { return !IsWindowVisible(dialog); });
  }
  Stop();

  // Centred at start, and minimised: restored, the list is placed as usual.
  RegSet(L"StartPos", L"1");
  RegSet(L"StartMode", L"1");
  if (!Start()) return;
  main = Main();
  ShowWindowAsync(main, SW_RESTORE);
  Check(WaitFor([&] { return !IsIconic(main) && ClientOnScreen(main).right - ClientOnScreen(main).left > 300; }), L"restored");
  const RECT r = Rect(main, nullptr);
  Near(r.left, (1280 - (r.right - r.left)) / 2, L"main window centred across");
  Near(r.top, (1024 - (r.bottom - r.top)) / 2 - 20, L"main window centred, 300 twips high");
  ExpectList(main);
  Stop();
}

}  // namespace e2e
