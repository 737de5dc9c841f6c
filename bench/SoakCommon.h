#pragma once
// What the soak tool's runs share: the report, the program under test
// started and stopped, its list and the files it writes.

#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

#include "SoakFeeder.h"
#include "SoakPictures.h"

namespace pixkeeper::soak {

extern int failures;
// With it set the program writes PNG files, read back by the system's decoder.
extern bool g_png;
extern bool g_dibs;  // every picture offered as a DIB alone, memory held to 2 MiB
// The list shows small pictures; their memory may add 16 MiB to what the same
// run without them grew (given in KiB).
extern bool g_thumbnails;
extern long long g_withoutThumbnailsKb;

#if defined(__GNUC__)
void Say(const char* format, ...) __attribute__((format(printf, 1, 2)));  // GCC checks the arguments
#else
void Say(const char* format, ...);
#endif
bool Check(bool ok, const std::string& what);
std::string Narrow(const std::wstring& text);
double Ms(std::chrono::steady_clock::duration d);

HWND MainWindow();
int ListCount();
std::wstring ListEntry(int index);

struct Started {
  HANDLE process = nullptr;
  DWORD pid = 0;
  long unixPid = 0;
  std::wstring commandLine;
};

bool Launch(const std::wstring& exe, const std::wstring& arguments, Started* started);
// Started, with its main window at the head of the viewer chain.
bool StartProgram(const std::wstring& exe, const std::wstring& baseDir, Started* program);
void StopProgram(Started* program);

// The names of the files in a directory, sorted.
std::vector<std::wstring> FilesIn(const std::wstring& directory);
Bytes ReadAll(const std::wstring& path);
// The running number goes from 9999 back to 0.
std::wstring Numbered(int n);

// Taken: the program has listed it and emptied the clipboard.
bool WaitTaken(Feeder& feeder, int listed);
bool PutScreen(Feeder& feeder, const Bytes& dib, bool asBitmap);  // as CF_BITMAP or CF_DIB

}  // namespace pixkeeper::soak
