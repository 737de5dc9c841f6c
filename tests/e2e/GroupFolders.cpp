#include "Harness.h"

using namespace e2e;

// Folders by day and by the program that put the picture, alone and
// together, pictures from the Linux desktop in "Linux"; the same picture
// saved once; with PNG files, a PNG offered beside a DIB written as it came.
// Ctrl+Y, Ctrl+B and Ctrl+U toggle the marks, stored at exit.
void GroupFolders() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  wchar_t day[16];
  swprintf(day, 16, L"%04d-%02d-%02d\\", now.wYear, now.wMonth, now.wDay);
  if (!Start(Numbering(L"F", {{L"DayFolders", L"1"}}))) return;
  ExpectCapture(L"by day", 0, day + wstring(L"F0001.BMP"), Put("rgb24"));
  Command(209);
  ExpectCapture(L"by program and day", 1, L"e2e_driver\\" + wstring(day) + L"F0002.BMP", Put("rgb24", 3));
  Command(208);
  ExpectCapture(L"by program", 2, L"e2e_driver\\F0003.BMP", Put("pal8"));
  const Picture linux = MakeTestPicture("rgb24", 5);
  WriteAll(work + L"offered", BmpFile(linux.dib));
  RunUnix(L"timeout 30 xclip -selection clipboard -t image/bmp -i " + UnixPath(work + L"offered"));
  ExpectCapture(L"from the Linux desktop", 3, L"Linux\\F0004.BMP", PixelsOf(linux));
  Eq(Depth(ReadAll(out + L"Linux\\F0004.BMP")), L"24", L"from the Linux desktop: 24 bits again");
  Command(209), Command(210);
  const Picture same = Put("rgb24", 7);
  ExpectCapture(L"the same picture: the first", 4, L"F0005.BMP", same);
  PutAs(CF_DIB, same.dib.data(), same.dib.size());
  Check(ClipEmpty(3000) && WorkerIdle() && ListCount() == 5 && Status() == Tr(L"前と同じ画像のため、保存しませんでした。", L"Not saved: the same picture as the last one."),
        L"the same picture again: emptied, not saved, said: " + Status());
  Command(206);
  const Bytes png = Png(same, false);
  const UINT pngFormat = RegisterClipboardFormatW(L"PNG");
  const Picture beside = MakeTestPicture("pal8", 9);
  PutAs(CF_DIB, beside.dib.data(), beside.dib.size(), pngFormat, png);
  Check(WaitFor([] { return ListCount() == 6; }) && ReadAll(out + L"F0006.PNG") == png,
        L"an offered PNG beside a DIB: written byte for byte");
  Keys(Main(), {'Y' | kCtrl, 'B' | kCtrl, 'U' | kCtrl, 'Q' | kCtrl});
  Check(Ended(pk), L"Ctrl+Q ends the program");
  Eq(RegAll(), Stored(Numbering(L"F", {{L"DayFolders", L"1"}, {L"ProgramFolders", L"1"}, {L"SaveFormat", L"1"},
                                        {L"PresendValue", L"7"}})), L"Ctrl+Y, Ctrl+B and Ctrl+U: the marks stored");
}
