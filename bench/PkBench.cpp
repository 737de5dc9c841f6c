// pk_bench capture <pixkeeper|reference> <output directory> <count>
// pk_bench feed <width> <height> <count>
#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "BenchCommon.h"

int wmain(int argc, wchar_t** argv) {
  using namespace pixkeeper::bench;
  if (argc == 5 && std::wcscmp(argv[1], L"capture") == 0) {
    bool reference = std::wcscmp(argv[2], L"reference") == 0;
    return RunCapture(reference, argv[3], _wtoi(argv[4]));
  }
  if (argc == 5 && std::wcscmp(argv[1], L"feed") == 0) {
    return RunFeed(_wtoi(argv[2]), _wtoi(argv[3]), _wtoi(argv[4]));
  }
  std::fprintf(stderr,
               "usage: pk_bench capture <pixkeeper|reference> <dir> <count>\n"
               "       pk_bench feed <width> <height> <count>\n");
  return 2;
}
