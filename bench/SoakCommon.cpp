#include "SoakCommon.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cwchar>

#include "SoakProbe.h"

namespace pixkeeper::soak {
namespace {

const wchar_t kMainClass[] = L"PixkeeperForm1", kMainTitle[] = L"Pixkeeper";
const wchar_t kConfig[] = L"Software\\PIXKEEPER\\CONFIG";
const wchar_t kPrefix[] = L"SK";
constexpr int kListId = 1001;

LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result)) return -1;
  return static_cast<LRESULT>(result);
}

void StoreSettings(const std::wstring& baseDir) {
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\PIXKEEPER");
  HKEY key;
  RegCreateKeyExW(HKEY_CURRENT_USER, kConfig, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
  const std::pair<const wchar_t*, std::wstring> values[] = {
      {L"BaseDir", baseDir}, {L"FTYPE", L"1"}, {L"FNAME", kPrefix}, {L"StartValue", L"1"}, {L"StartPos", L"0"},
      {L"SaveFormat", g_png ? L"1" : L"0"}, {L"Thumbnails", g_thumbnails ? L"1" : L"0"}};
  for (const auto& value : values) {
    RegSetValueExW(key, value.first, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.second.c_str()),
                   static_cast<DWORD>((value.second.size() + 1) * sizeof(wchar_t)));
  }
  RegCloseKey(key);
}

}  // namespace

int failures = 0;
bool g_png = false;
bool g_dibs = false;
bool g_thumbnails = false;
long long g_withoutThumbnailsKb = 0;

void Say(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vprintf(format, args);
  va_end(args);
  std::fflush(stdout);
}
bool Check(bool ok, const std::string& what) {
  if (!ok) ++failures, Say("FAIL: %s\n", what.c_str());
  return ok;
}
std::string Narrow(const std::wstring& text) {
  std::string out(text.size() * 3 + 1, '\0');
  out.resize(static_cast<std::size_t>(
      WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(),
                          static_cast<int>(out.size()), nullptr, nullptr)));
  return out;
}
double Ms(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// --- the program under test ------------------------------------------------

HWND MainWindow() { return FindWindowW(kMainClass, kMainTitle); }
int ListCount() { return static_cast<int>(Send(GetDlgItem(MainWindow(), kListId), LB_GETCOUNT)); }
std::wstring ListEntry(int index) {
  HWND list = GetDlgItem(MainWindow(), kListId);
  std::wstring text(static_cast<std::size_t>(std::max<LRESULT>(0, Send(list, LB_GETTEXTLEN, index))) + 1, L'\0');
  text.resize(static_cast<std::size_t>(std::max<LRESULT>(0, Send(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data())))));
  return text;
}

bool Launch(const std::wstring& exe, const std::wstring& arguments, Started* started) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::wstring line = L"\"" + exe + L"\"" + arguments;
  started->commandLine = line;
  if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    return false;
  }
  CloseHandle(info.hThread);
  started->process = info.hProcess;
  started->pid = info.dwProcessId;
  return true;
}

// Started, with its main window at the head of the viewer chain.
bool StartProgram(const std::wstring& exe, const std::wstring& baseDir, Started* program) {
  StoreSettings(baseDir);
  if (!Check(Launch(exe, L"", program), "cannot start " + Narrow(exe))) return false;
  const bool up = Feeder::WaitFor(
      [] { return MainWindow() && GetClipboardViewer() == MainWindow() && IsWindowVisible(MainWindow()); }, 30000);
  if (!Check(up, "Pixkeeper did not start and join the viewer chain")) return false;
  program->unixPid = FindUnixPid(program->commandLine);
  Check(program->unixPid > 0, "the Linux process of Pixkeeper was not found in /proc");
  return true;
}

void StopProgram(Started* program) {
  PostMessageW(MainWindow(), WM_CLOSE, 0, 0);
  Check(Feeder::WaitFor([&] { return WaitForSingleObject(program->process, 0) == WAIT_OBJECT_0; }, 20000),
        "Pixkeeper did not end after WM_CLOSE");
  CloseHandle(program->process);
}

std::vector<std::wstring> FilesIn(const std::wstring& directory) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW((directory + L"*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(entry.cFileName);
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

Bytes ReadAll(const std::wstring& path) {
  Bytes bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  LARGE_INTEGER size{};
  GetFileSizeEx(file, &size);
  bytes.resize(static_cast<std::size_t>(size.QuadPart));
  DWORD got = 0;
  if (!bytes.empty() && (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) || got != bytes.size())) {
    bytes.clear();
  }
  CloseHandle(file);
  return bytes;
}

// The running number goes from 9999 back to 0.
std::wstring Numbered(int n) {
  wchar_t name[32];
  std::swprintf(name, 32, L"%ls%04d.%ls", kPrefix, n % 10000, g_png ? L"PNG" : L"BMP");
  return name;
}

bool WaitTaken(Feeder& feeder, int listed) {
  int polls = 0;
  return Feeder::WaitFor([&] { return (feeder.emptied() || ++polls % 20 == 0) && ListCount() >= listed; }, 10000);
}

bool PutScreen(Feeder& feeder, const Bytes& dib, bool asBitmap) {
  return feeder.Put([&] { return asBitmap ? Feeder::PutBitmap(dib) : Feeder::PutData(CF_DIB, dib.data(), dib.size()); });
}

}  // namespace pixkeeper::soak
