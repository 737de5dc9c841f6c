// pk_bench capture <pixkeeper|png|thumbs|kept|reference|copier> <output directory> <count>
// pk_bench feed <width> <height> <count> <photo|flat> [probe]
// pk_bench thumbnail <width> <height> <count> <photo|flat>
#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "BenchCommon.h"

int wmain(int argc, wchar_t** argv) {
  using namespace pixkeeper::bench;
  if (argc == 5 && std::wcscmp(argv[1], L"capture") == 0) {
    const CaptureMode mode = std::wcscmp(argv[2], L"reference") == 0 ? CaptureMode::kReference
                             : std::wcscmp(argv[2], L"copier") == 0  ? CaptureMode::kCopier
                             : std::wcscmp(argv[2], L"png") == 0     ? CaptureMode::kPng
                             : std::wcscmp(argv[2], L"thumbs") == 0  ? CaptureMode::kBmpThumbnails
                             : std::wcscmp(argv[2], L"kept") == 0    ? CaptureMode::kBmpKept
                                                                     : CaptureMode::kBmp;
    return RunCapture(mode, argv[3], _wtoi(argv[4]));
  }
  if ((argc == 6 || argc == 7) && std::wcscmp(argv[1], L"feed") == 0) {
    return RunFeed(_wtoi(argv[2]), _wtoi(argv[3]), _wtoi(argv[4]), std::wcscmp(argv[5], L"flat") == 0,
                   argc == 7 && std::wcscmp(argv[6], L"probe") == 0);
  }
  if (argc == 6 && std::wcscmp(argv[1], L"thumbnail") == 0) {
    return RunThumbnail(_wtoi(argv[2]), _wtoi(argv[3]), _wtoi(argv[4]), std::wcscmp(argv[5], L"flat") == 0);
  }
  std::fprintf(stderr,
               "usage: pk_bench capture <pixkeeper|png|thumbs|kept|reference|copier> <dir> <count>\n"
               "       pk_bench feed <width> <height> <count> <photo|flat> [probe]\n"
               "       pk_bench thumbnail <width> <height> <count> <photo|flat>\n");
  return 2;
}
