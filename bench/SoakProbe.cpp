#include "SoakProbe.h"

#include <winternl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdlib>
#include <cctype>
#include <cwctype>
#include <string>
#include <vector>

namespace pixkeeper::soak {
namespace {

constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);
constexpr SYSTEM_INFORMATION_CLASS kExtendedHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(64);
constexpr SYSTEM_INFORMATION_CLASS kHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(16);

struct HandleEntryEx {
  void* object;
  ULONG_PTR processId;
  ULONG_PTR handle;
  ULONG access;
  USHORT backTrace;
  USHORT typeIndex;
  ULONG attributes;
  ULONG reserved;
};
struct HandleEntry {
  ULONG processId;
  UCHAR type;
  UCHAR flags;
  USHORT handle;
  void* object;
  ACCESS_MASK access;
};

// One entry of the per-process GDI handle table that the PEB points to.
struct GdiEntry {
  UINT64 object;
  ULONG owner;
  USHORT unique;
  UCHAR type;  // 0: free
  UCHAR flags;
  UINT64 userPointer;
};
static_assert(sizeof(GdiEntry) == 24, "GDI handle table entry");
constexpr std::size_t kGdiEntries = 0x10000;
constexpr std::size_t kPebGdiTable = 0xF8;  // PEB.GdiSharedHandleTable, 64-bit

std::vector<unsigned char> QuerySystem(SYSTEM_INFORMATION_CLASS what) {
  std::vector<unsigned char> buffer(1 << 20);
  for (int attempt = 0; attempt < 8; ++attempt) {
    ULONG needed = 0;
    NTSTATUS status = NtQuerySystemInformation(what, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status == kInfoLengthMismatch) {
      buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed + 65536));
      continue;
    }
    if (status < 0) buffer.clear();
    return buffer;
  }
  return {};
}

long CountHandles(DWORD pid) {
  std::vector<unsigned char> buffer = QuerySystem(kExtendedHandleInformation);
  if (!buffer.empty()) {
    const auto count = *reinterpret_cast<const ULONG_PTR*>(buffer.data());
    const auto* entries = reinterpret_cast<const HandleEntryEx*>(buffer.data() + 2 * sizeof(ULONG_PTR));
    long mine = 0;
    for (ULONG_PTR i = 0; i < count; ++i) mine += entries[i].processId == pid;
    return mine;
  }
  buffer = QuerySystem(kHandleInformation);
  if (buffer.empty()) return -1;
  const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
  const auto* entries = reinterpret_cast<const HandleEntry*>(buffer.data() + sizeof(ULONG_PTR));
  long mine = 0;
  for (ULONG i = 0; i < count; ++i) mine += entries[i].processId == pid;
  return mine;
}

long CountGdiObjects(HANDLE process) {
  PROCESS_BASIC_INFORMATION basic{};
  if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) < 0) return -1;
  UINT64 table = 0;
  SIZE_T got = 0;
  if (!ReadProcessMemory(process, reinterpret_cast<const char*>(basic.PebBaseAddress) + kPebGdiTable, &table,
                         sizeof table, &got) || table == 0) {
    return -1;
  }
  std::vector<GdiEntry> entries(kGdiEntries);
  if (!ReadProcessMemory(process, reinterpret_cast<const void*>(table), entries.data(),
                         entries.size() * sizeof(GdiEntry), &got)) {
    return -1;
  }
  return static_cast<long>(std::count_if(entries.begin(), entries.end(), [](const GdiEntry& e) { return e.type != 0; }));
}

struct WindowCount {
  DWORD pid;
  long count;
};

BOOL CALLBACK CountChild(HWND window, LPARAM context) {
  auto* counting = reinterpret_cast<WindowCount*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  counting->count += owner == counting->pid;
  return TRUE;
}

BOOL CALLBACK CountTop(HWND window, LPARAM context) {
  CountChild(window, context);
  EnumChildWindows(window, CountChild, context);
  return TRUE;
}

long CountWindows(DWORD pid) {
  WindowCount counting{pid, 0};
  EnumWindows(CountTop, reinterpret_cast<LPARAM>(&counting));
  for (HWND window = nullptr; (window = FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr)) != nullptr;) {
    CountTop(window, reinterpret_cast<LPARAM>(&counting));
  }
  return counting.count;
}

std::string ReadWholeFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string text;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) text.append(chunk, got);
  CloseHandle(file);
  return text;
}

long long StatusKb(const std::string& status, const char* field) {
  const std::size_t at = status.find(field);
  if (at == std::string::npos) return -1;
  return std::atoll(status.c_str() + at + std::char_traits<char>::length(field));
}

// A command line as Wine shows it in /proc: the arguments apart, quotes
// gone. Compared without case, quotes and space between arguments.
std::string Simple(const std::string& line) {
  std::string out;
  for (char c : line) {
    if (c == '"') continue;
    if (c == '\0' || c == ' ') {
      if (!out.empty() && out.back() != ' ') out += ' ';
      continue;
    }
    out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += static_cast<char>(c);  // names and paths of ASCII only
  return out;
}

}  // namespace

long FindUnixPid(const std::wstring& commandLine) {
  wchar_t prefix[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH) == 0) return 0;
  const std::string wantedPrefix = std::string(1, '\0') + "WINEPREFIX=" + Narrow(prefix) + '\0';
  const std::string wantedLine = Simple(Narrow(commandLine));
  long found = 0;
  int matches = 0;
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &entry);
  if (search == INVALID_HANDLE_VALUE) return 0;
  do {
    const std::wstring name = entry.cFileName;
    if (name.empty() || !std::all_of(name.begin(), name.end(), iswdigit)) continue;
    const std::wstring folder = L"Z:\\proc\\" + name;
    if (Simple(ReadWholeFile(folder + L"\\cmdline")) != wantedLine) continue;
    const std::string environment = '\0' + ReadWholeFile(folder + L"\\environ") + '\0';
    if (environment.find(wantedPrefix) == std::string::npos) continue;
    found = std::wcstol(name.c_str(), nullptr, 10);
    ++matches;
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  return matches == 1 ? found : 0;
}

Resources Measure(HANDLE process, DWORD pid, long unixPid) {
  Resources r;
  r.handles = CountHandles(pid);
  r.gdiObjects = CountGdiObjects(process);
  r.windows = CountWindows(pid);
  if (unixPid > 0) {
    const std::string status = ReadWholeFile(L"Z:\\proc\\" + std::to_wstring(unixPid) + L"\\status");
    r.rssAnonKb = StatusKb(status, "RssAnon:");
    r.vmRssKb = StatusKb(status, "VmRSS:");
  }
  GetProcessHandleCount(process, &r.handleCountCall);
  r.gdiCall = GetGuiResources(process, GR_GDIOBJECTS);
  r.userCall = GetGuiResources(process, GR_USEROBJECTS);
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
    r.privateUsage = memory.PrivateUsage;
  }
  FILETIME created, ended, kernel, user;
  if (GetProcessTimes(process, &created, &ended, &kernel, &user)) {
    auto seconds = [](const FILETIME& t) {
      return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e7;
    };
    r.cpuSeconds = seconds(kernel) + seconds(user);
  }
  return r;
}

}  // namespace pixkeeper::soak
