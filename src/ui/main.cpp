#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  MessageBoxW(nullptr, L"Pixkeeper", L"Pixkeeper", MB_OK);
  return 0;
}
