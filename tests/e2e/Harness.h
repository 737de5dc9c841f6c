// The end-to-end harness: the program started and ended, its stored
// settings, and the capture of a picture checked from the clipboard to the
// file. A group file includes this header only.
#pragma once

#include "HarnessClipboard.h"

namespace e2e {

inline HANDLE Launch(const wstring& arguments = L"", bool quoted = true) {
  const wstring exe = work + L"..\\..\\..\\..\\Pixkeeper.exe";  // next to tests
  HANDLE process = nullptr;
  Check(Run(exe.c_str(), (quoted ? L"\"" + exe + L"\" " : exe) + arguments, &process), L"cannot start " + exe);
  launched.push_back(process);
  return process;
}
inline bool Ended(HANDLE process, int ms = 10000) {
  return WaitFor([&] { return WaitForSingleObject(process, 0) != WAIT_TIMEOUT; }, ms);
}
inline void RegSet(const wstring& name, const wstring& text, DWORD type = REG_SZ, DWORD size = 0) {
  Check(RegSetKeyValueW(HKEY_CURRENT_USER, kConfig, name.c_str(), type, text.c_str(),
                        size ? size : static_cast<DWORD>((text.size() + 1) * 2)) == ERROR_SUCCESS,
        L"cannot store " + name);
}
inline void Settings(const Map& values) {
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\PIXKEEPER");
  for (const auto& value : values) RegSet(value.first, value.second);
}
inline Map With(const Map& values, Map more) {  // `more` wins
  more.merge(Map(values));
  return more;
}
// Running numbers from 1 with this prefix, into `out`, at the stored place.
inline Map Numbering(const wstring& prefix, const Map& more = {}) {
  return With({{L"BaseDir", baseDir}, {L"FTYPE", L"1"}, {L"FNAME", prefix}, {L"StartValue", L"1"},
               {L"StartPos", L"0"}}, more);
}
inline wstring Join(const Map& values) {
  wstring all;
  for (const auto& value : values) all += value.first + L"=" + value.second + L" ";
  return all;
}
// Every stored value as "NAME=TEXT " in name order (texts only), or "absent".
inline wstring RegAll() {
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kConfig, 0, KEY_READ, &key) != ERROR_SUCCESS) return L"absent";
  Map values;
  wchar_t name[256], text[1024];
  DWORD type, nameLength = 256, size = sizeof text;
  for (DWORD i = 0; RegEnumValueW(key, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(text),
                                  &size) == ERROR_SUCCESS; ++i, nameLength = 256, size = sizeof text) {
    values[name] = type == REG_SZ ? text : L"<type " + to_wstring(type) + L">";
  }
  RegCloseKey(key);
  return Join(values);
}
inline wstring Stored(const Map& values) {  // RegAll() of the fifteen keys with these values
  return Join(With({{L"BaseDir", baseDir}, {L"DayFolders", L"0"}, {L"FNAME", L"BMP"}, {L"FTYPE", L"0"},
                    {L"KeepClipboard", L"0"}, {L"PresendFlag", L"0"}, {L"ProgramFolders", L"0"}, {L"SkipRepeats", L"0"}, {L"Thumbnails", L"0"},
                    {L"PresendValue", L"0"}, {L"SaveFormat", L"0"}, {L"StartMode", L"0"}, {L"StartPos", L"1"},
                    {L"StartValue", L"0"}, {L"ViewMode", L"0"}}, values));
}

// The pixels of a BMP file as R,G,B from the top row, as Windows reads it.
inline Bytes FilePixels(const wstring& path) {
  auto file = static_cast<HBITMAP>(LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
  BITMAP size{};
  if (!GetObjectW(file, sizeof size, &size)) return {};
  return Rgb(Grab({0, 0, size.bmWidth, size.bmHeight}, [&](HDC dc) {
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, file);
    BitBlt(dc, 0, 0, size.bmWidth, size.bmHeight, source, 0, 0, SRCCOPY);
    DeleteObject(SelectObject(source, old));
    DeleteDC(source);
  }));
}

// A DIB behind a file header that points at its pixels.
inline Bytes BmpFile(const Bytes& d) {
  const unsigned header = d[0] | d[1] << 8, count = header == 12 ? d[10] : d[14];
  const unsigned used = header == 12 ? 0 : d[32] | d[33] << 8;
  const unsigned colours = used ? used : count <= 8 ? 1u << count : 0;
  const std::size_t offset = 14 + header + (header == 40 && d[16] == 3 ? 12 : 0) + colours * (header == 12 ? 3 : 4);
  Bytes file{'B', 'M'};
  for (std::uint32_t v : {static_cast<std::uint32_t>(14 + d.size()), 0u, static_cast<std::uint32_t>(offset)}) {
    for (int i = 0; i < 4; ++i) file.push_back(static_cast<std::uint8_t>(v >> 8 * i));
  }
  file.insert(file.end(), d.begin(), d.end());
  return file;
}

// Entry INDEX is the save directory joined with NAME, the file holds the
// picture, and the clipboard is emptied (unless another picture came
// meanwhile). A DIB is written as it came behind a file header that points
// at its pixels; a bitmap's pixels are decoded.
inline void ExpectCapture(const wstring& what, int index, const wstring& name, const Picture& picture, bool keep = false) {
  if (!Check(WaitFor([&] { return ListCount() > index; }), what + L": no list entry")) return;
  Eq(ListEntry(index), baseDir + name, what + L": list entry");
  if (!keep) Check(ClipEmpty(3000), what + L": clipboard not emptied");
  if (picture.dib.empty()) Check(FilePixels(out + name) == picture.rgb, what + L": the pixels of " + name + L" differ");
  else Check(ReadAll(out + name) == BmpFile(picture.dib), what + L": " + name + L" is not the DIB behind a header");
}
// The picture as its pixels only: its DIB is not what the file holds.
inline Picture PixelsOf(Picture picture) { return picture.dib.clear(), picture; }
inline wstring Numbered(const wstring& prefix, int n) { return prefix + to_wstring(10000 + n).substr(1) + L".BMP"; }

// Started once the main window heads the viewer chain (the last step of the
// start) and is shown; then a first picture is saved as `first`, if named.
inline bool Running() { return Main() && GetClipboardViewer() == Main() && IsWindowVisible(Main()); }
inline bool Start(const wstring& first = L"") {
  pk = Launch();
  const bool started = Check(WaitFor(Running, 30000), L"Pixkeeper did not start and join the viewer chain; it says: " +
                                                          BoxSays(Top(kMain, kBox)));
  if (started && !first.empty()) ExpectCapture(L"the first picture", 0, first, Put("rgb24"));
  return started;
}
inline bool Start(const Map& settings, const wstring& first = L"") { return Settings(settings), Start(first); }
inline bool Stop() {
  PostMessageW(Main(), WM_CLOSE, 0, 0);
  return Check(Ended(pk, 20000), L"Pixkeeper did not end after WM_CLOSE");
}
inline void StopStored(const Map& values, const wstring& what) {
  Stop();
  Eq(RegAll(), Stored(values), what);
}
// The session's end asked for, then told whether it really ends.
inline bool EndSession(bool really) {
  Check(Send(Main(), WM_QUERYENDSESSION) != 0, L"the session may end");
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\PIXKEEPER");
  Send(Main(), WM_ENDSESSION, really);
  return Ended(pk, really ? 10000 : 300);
}

}  // namespace e2e
