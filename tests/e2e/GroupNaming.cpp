#include "Harness.h"

using namespace e2e;

namespace {

wstring FnameState(HWND d) {  // the three options and the check box, then the three boxes
  wstring state;
  for (int id : {2000, 2001, 2002, 2016}) state += to_wstring(Send(GetDlgItem(d, id), BM_GETCHECK));
  for (int id : {2012, 2014, 2018}) state += L" " + Text(GetDlgItem(d, id));
  return state + (IsWindowEnabled(GetDlgItem(d, 2014)) ? L" next enabled" : L"");
}
wstring Stamp(const wstring& prefix) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t stamp[16];
  std::swprintf(stamp, 16, L"%02u%02u%02u%02u%02u", now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
  return prefix + stamp;
}

}  // namespace

// The three naming schemes, chosen by the stored settings (also as other
// programs may have stored them) and through the file-name dialog, and what
// the dialog stores.
void GroupNaming() {
  // From the start value, not the stored number.
  if (!Start(Numbering(L"画像", {{L"StartValue", L"0012"}, {L"PresendValue", L"37"}}), L"画像0012.BMP")) return;
  HWND d = OpenFname();
  if (!d) return;
  Eq(FnameState(d), L"0100 0012 13 画像", L"the dialog shows the settings");
  Click(GetDlgItem(d, 2000));
  const wstring stamp = Stamp(L"画像");
  const Picture dated = Put("rgb24", 6);
  WaitFor([] { return ListCount() > 1; });
  const wstring name = ListEntry(1) == baseDir + stamp + L".BMP" ? stamp : Stamp(L"画像");
  ExpectCapture(L"by the date, chosen behind the dialog", 1, name + L".BMP", dated);
  Click(GetDlgItem(d, 2001));
  SetText(GetDlgItem(d, 2012), L"");
  for (wchar_t c : wstring(L"1a2-345")) Send(GetDlgItem(d, 2012), WM_CHAR, c, 1);
  for (int id : {2016, 2015}) Click(GetDlgItem(d, id));  // the check box, Reset
  SetText(GetDlgItem(d, 2018), L"PK");
  Eq(FnameState(d), L"0101 1234 1234 PK", L"digits only, four at most; the check box; Reset");
  Click(GetDlgItem(d, 2019));
  Check(WaitFor([&] { return !IsWindowVisible(d); }), L"戻る hides the dialog");
  ExpectCapture(L"after the dialog", 2, L"PK1234.BMP", Put("rgb24"));
  const Map kept = {{L"FNAME", L"PK"}, {L"FTYPE", L"1"}, {L"PresendFlag", L"1"}, {L"StartPos", L"0"},
                    {L"StartValue", L"1234"}};
  StopStored(With(kept, {{L"PresendValue", L"1235"}}), L"stored after 戻る");

  // The number carried over; the close box keeps the option and Reset's
  // number, not the texts.
  if (!Start() || !(d = OpenFname())) return;
  Eq(FnameState(d), L"0101 1234 1235 PK", L"the dialog shows the stored values");
  ExpectCapture(L"carried over", 0, L"PK1235.BMP", Put("rgb24"));
  for (int id : {2002, 2015}) Click(GetDlgItem(d, id));  // user input, Reset
  SetText(GetDlgItem(d, 2018), L"ZZ");
  PostMessageW(d, WM_CLOSE, 0, 0);
  Check(WaitFor([&] { return !IsWindowVisible(d); }), L"the close box closes the dialog");
  // User input: the save dialog asks for each name.
  const Picture first = Put("rgb24");
  HWND save = WaitTop(SaveDialogTitle());
  if (!Check(save != nullptr, L"the save dialog did not open")) return;
  Check(GetWindow(save, GW_OWNER) == Main(), L"the save dialog is owned by the main window");
  Eq(Text(GetDlgItem(save, 1137)) + L" " + Text(GetDlgItem(save, 1136)), Tr(L"out 画像ﾌｧｲﾙ (*.BMP)", L"out Bitmap files (*.BMP)"),
     L"save dialog: folder and filter");
  Check(!IsWindowVisible(GetDlgItem(save, 1040)), L"save dialog without the read-only check box");
  SetText(GetDlgItem(save, 0x47C), L"typed_name");  // the name box
  PostMessageW(save, WM_COMMAND, IDOK, 0);
  ExpectCapture(L"the name as typed", 1, L"typed_name", first);
  // Cancelled: USERINPUT.BMP, or USERINPUT-2.BMP, -3, ... beside older ones,
  // which are kept; a picture copied meanwhile is asked for next.
  WriteAll(out + L"USERINPUT.BMP");
  const Picture cancelled = Put("rgb24", 7);
  save = WaitTop(SaveDialogTitle());
  const Picture meanwhile = Put("rgb24", 13);
  PostMessageW(save, WM_COMMAND, IDCANCEL, 0);
  ExpectCapture(L"cancelled", 2, L"USERINPUT-2.BMP", cancelled, true);
  WaitFor([&] { return !IsWindow(save); });
  save = WaitTop(SaveDialogTitle());
  if (!Check(save != nullptr, L"a picture copied behind the save dialog was dropped")) return;
  // A name that is taken: the dialog asks first, as Windows' own prompt does;
  // the older file is kept all the same, the picture saved beside it.
  SetText(GetDlgItem(save, 0x47C), L"typed_name");
  PostMessageW(save, WM_COMMAND, IDOK, 0);
  HWND prompt = nullptr;
  Check(WaitFor([&] {
          while ((prompt = FindWindowExW(nullptr, prompt, kBox, nullptr)) && GetWindow(prompt, GW_OWNER) != save) {}
          return prompt != nullptr;
        }), L"a taken name: the save dialog asks");
  PostMessageW(prompt, WM_COMMAND, IDYES, 0);
  ExpectCapture(L"a taken name, copied while the dialog was open", 3, L"typed_name-2", meanwhile);
  Check(FilePixels(out + L"typed_name") == first.rgb, L"a taken name: the older file kept");
  const Picture again = Put("rgb24", 9);
  save = WaitTop(SaveDialogTitle());
  PostMessageW(save, WM_COMMAND, IDCANCEL, 0);
  ExpectCapture(L"cancelled again", 4, L"USERINPUT-3.BMP", again);
  Check(ReadAll(out + L"USERINPUT.BMP") == Bytes{'o', 'l', 'd', 'e', 'r'}, L"cancelled: the older file kept whole");
  StopStored(With(kept, {{L"FTYPE", L"2"}, {L"PresendValue", L"1234"}}), L"stored after the close box");

  // Values of other types and lengths: a number, a text without its end,
  // a text cut by a NUL, bytes (not read: the default).
  const DWORD one = 1;
  RegSet(L"FTYPE", reinterpret_cast<const wchar_t*>(&one), REG_DWORD, 4);
  RegSet(L"FNAME", L"abc", REG_SZ, 6);
  RegSet(L"PresendFlag", L"0", REG_BINARY, 2);
  RegSet(L"StartValue", wstring(L"12\0junk", 7), REG_SZ, 16);
  if (Start(L"abc0012.BMP")) Stop();
}
