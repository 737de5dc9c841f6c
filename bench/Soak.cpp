// pk_soak: a long run of the real program, and the probes it relies on.
//   pk_soak run <Pixkeeper.exe> <out dir> [count [png|dibs|thumbnails <KiB>]]
//                                                    the long run (run-soak.sh)
//   pk_soak leak-demo                                the counting shown on a program that leaks
//   pk_soak bitmaps <Pixkeeper.exe> <out dir> <count> <bitmap|dib>
//                                                    the program's memory over full-screen pictures
//   pk_soak readers <bitmap|dib> <count>             the same for minimal readers, one per way of reading
// Each run is a file of its own (SoakRuns.h); what they share is in SoakCommon.h.
#include <cstdio>
#include <cwchar>
#include <string>

#include "SoakCommon.h"
#include "SoakRuns.h"

int wmain(int argc, wchar_t** argv) {
  using namespace pixkeeper::soak;
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  g_png = argc == 6 && std::wcscmp(argv[5], L"png") == 0;
  g_dibs = argc == 6 && std::wcscmp(argv[5], L"dibs") == 0;
  // run EXE OUT COUNT thumbnails KIB: the growth of the same run without them.
  g_thumbnails = argc == 7 && std::wcscmp(argv[5], L"thumbnails") == 0;
  if (g_thumbnails) g_withoutThumbnailsKb = std::wcstoll(argv[6], nullptr, 10);
  if (mode == L"run" && argc >= 4 && argc <= 5 + (g_png || g_dibs) + 2 * g_thumbnails) return RunSoak(argv[2], argv[3], argc >= 5 ? _wtoi(argv[4]) : 1000);
  if (mode == L"leak-demo" && argc == 2) return RunLeakDemo();
  if (mode == L"leak" && argc == 2) return RunLeak();
  if (mode == L"bitmaps" && argc == 6) return RunBitmaps(argv[2], argv[3], _wtoi(argv[4]), std::wcscmp(argv[5], L"bitmap") == 0);
  if (mode == L"readers" && argc == 4) return RunReaders(std::wcscmp(argv[2], L"bitmap") == 0, _wtoi(argv[3]));
  if (mode == L"reader" && argc >= 3) return RunReader(argv[2], argc == 4 ? argv[3] : L"");
  std::fprintf(stderr,
               "usage: pk_soak run <Pixkeeper.exe> <out dir> [count [png]]\n"
               "       pk_soak leak-demo\n"
               "       pk_soak bitmaps <Pixkeeper.exe> <out dir> <count> <bitmap|dib>\n"
               "       pk_soak readers <bitmap|dib> <count>\n");
  return 2;
}
