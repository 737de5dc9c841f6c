// Stands in for the file manager in the end-to-end tests: registered as the
// command that opens folders, it writes the folder it was given to
// work\tray\opened beside it. A windowed program, so that no console window
// takes the keyboard from the program under test.

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  const std::wstring self = args[0], folder = count > 1 ? args[1] : L"";
  if (FILE* file = _wfopen((self.substr(0, self.rfind(L'\\')) + L"\\work\\tray\\opened").c_str(), L"wb")) {
    std::fwrite(folder.data(), sizeof(wchar_t), folder.size(), file), std::fclose(file);
  }
  return 0;
}
