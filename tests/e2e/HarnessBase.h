// The ground of the end-to-end harness: the names and state the groups share,
// checks and waits, other processes, files.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "support/TestPictures.h"

namespace e2e {

using Bytes = std::vector<std::uint8_t>;
using namespace pixkeeper::testing;  // the test pictures and PNGs
using Picture = TestPicture;
using Map = std::map<std::wstring, std::wstring>;
using std::to_wstring;
using std::wstring;

const wchar_t kMain[] = L"Pixkeeper", kMainClass[] = L"PixkeeperForm1", kBox[] = L"#32770";
const wchar_t kConfig[] = L"Software\\PIXKEEPER\\CONFIG", kViewer[] = L"PixkeeperImageView";
const WORD kCtrl = 0x100;  // with a key: Ctrl held

// The language of the session, as Windows tells the driver: the program
// speaks the same. Tr picks the text of that language.
inline bool english = false;
inline wstring Tr(const wstring& japanese, const wstring& inEnglish) { return english ? inEnglish : japanese; }
inline wstring NoticeTitle() { return Tr(L"Pixkeeperからのお知らせ", L"Pixkeeper"); }
inline wstring SaveDialogTitle() { return Tr(L"画像ファイル選択", L"Save picture as"); }
inline wstring FnameTitle() { return Tr(L"保存ファイル名選択", L"File names"); }
inline wstring DirTitle() { return Tr(L"保存ディレクトリ選択", L"Save directory"); }
inline wstring AboutTitle() { return Tr(L"バージョン情報", L"About Pixkeeper"); }
inline wstring ViewerTitle() { return Tr(L"画像表示", L"Picture"); }
inline wstring ReturnButton() { return Tr(L"戻る", L"Close"); }

inline int checks = 0, failures = 0;
inline wstring work, out, baseDir;  // baseDir: `out` as stored, with its final "\"
inline HANDLE pk = nullptr;         // the copy that Start() started
inline HWND owner = nullptr;        // owns what the driver puts on the clipboard
inline HWND viewer = nullptr;       // joined the viewer chain before each group starts
inline std::vector<HANDLE> launched;
struct Viewer { HWND next = nullptr; int notices = 0; };
const UINT kIdleProbe = WM_APP + 0x51;  // posted to Pixkeeper's worker, posted back when it is idle
inline LPARAM idleAnswered = 0;
inline std::map<HWND, Viewer> viewers;

inline void Say(const wstring& line) {
  std::string utf8((line.size() + 1) * 3, '\0');
  utf8.resize(WideCharToMultiByte(CP_UTF8, 0, (line + L"\n").c_str(), -1, utf8.data(),
                                  static_cast<int>(utf8.size()), nullptr, nullptr));
  std::fputs(utf8.c_str(), stdout);
  std::fflush(stdout);
}
inline bool Check(bool ok, const wstring& what) {
  ++checks;
  if (!ok) ++failures, Say(L"FAIL: " + what);
  return ok;
}
inline void Eq(const wstring& got, const wstring& want, const wstring& what) {
  Check(got == want, what + L":\n  got  '" + got + L"'\n  want '" + want + L"'");
}

// The driver's own windows answer while it waits: the program sends them
// messages (clipboard owner, viewers) and waits for the answer. Once a check
// has failed, waits are cut short: the run is failed and should end soon.
inline bool WaitFor(const std::function<bool()>& done, int ms = 5000) {
  if (failures > 0) ms = std::min(ms, 1000);
  for (const DWORD start = GetTickCount();;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    if (done()) return true;
    if (GetTickCount() - start >= static_cast<DWORD>(ms)) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}
inline void Pause(int ms) { WaitFor([] { return false; }, ms); }  // for what should not happen

// Starts a program; its process handle goes to `process` (if asked for).
inline bool Run(const wchar_t* exe, wstring line, HANDLE* process = nullptr) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(exe, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) return false;
  CloseHandle(started.hThread);
  if (process != nullptr) *process = started.hProcess;
  else if (started.hProcess != nullptr) CloseHandle(started.hProcess);
  return true;
}
// Starts a shell command of the machine Wine runs on. Wine cannot tell when
// such a command has ended: the caller waits for what it does.
inline bool RunUnix(const wstring& script) { return Run(nullptr, L"/bin/sh -c \"" + script + L"\""); }
inline wstring UnixPath(wstring path) {  // the build tree is on drive Z:, the root
  std::replace(path.begin(), path.end(), L'\\', L'/');
  return path.substr(2);
}

// --- files ------------------------------------------------------------------------

inline Bytes ReadAll(const wstring& path) {
  Bytes bytes;
  if (FILE* file = _wfopen(path.c_str(), L"rb")) {
    for (int c; (c = std::fgetc(file)) != EOF;) bytes.push_back(static_cast<std::uint8_t>(c));
    std::fclose(file);
  }
  return bytes;
}
inline void WriteAll(const wstring& path, const Bytes& bytes = {'o', 'l', 'd', 'e', 'r'}) {
  FILE* file = _wfopen(path.c_str(), L"wb");
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}
// The names of the files in a directory, in order, each followed by a blank.
inline wstring Files(const wstring& directory) {
  std::set<wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((directory + L"*").c_str(), &found);
  for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &found)) {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.insert(found.cFileName);
  }
  FindClose(find);
  wstring all;
  for (const auto& name : names) all += name + L" ";
  return all;
}

}  // namespace e2e
