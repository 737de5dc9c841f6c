#pragma once
// What another process holds, counted in ways that also work under Wine,
// where GetProcessHandleCount and GetGuiResources answer 0.

#include <windows.h>

#include <cstdint>
#include <string>

namespace pixkeeper::soak {

struct Resources {
  long handles = -1;      // the system handle table, entries of the process
  long gdiObjects = -1;   // live entries of the process's GDI handle table
  long windows = -1;      // windows of the process's threads, message-only ones too
  long long rssAnonKb = -1;  // /proc/<pid>/status of the Wine process
  long long vmRssKb = -1;
  // What the Windows calls answer, for comparison.
  DWORD handleCountCall = 0, gdiCall = 0, userCall = 0;
  unsigned long long privateUsage = 0;
  double cpuSeconds = 0;
};

// The Linux process of this Wine prefix that runs this command line (Wine
// shows a Windows process's command line as the Linux one); 0 when there is
// not exactly one. Files under Z:\proc are opened by the Wine server, so
// "self" there is the server, not the caller.
long FindUnixPid(const std::wstring& commandLine);

Resources Measure(HANDLE process, DWORD pid, long unixPid);

}  // namespace pixkeeper::soak
