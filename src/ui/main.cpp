// Pixkeeper: every picture placed on the clipboard is saved as a BMP file.

#include <windows.h>

#include <optional>

#include "base/RuntimeError.h"
#include "base/Texts.h"
#include "capture/ClipboardWatch.h"
#include "platform/win32/Win32Platform.h"
#include "resources/ResourceIds.h"
#include "settings/Settings.h"
#include "ui/ErrorBoundary.h"
#include "ui/FindWindow.h"
#include "ui/Form1.h"
#include "ui/StartUp.h"
#include "ui/StartUpLock.h"
#include "ui/WindowClasses.h"

namespace pixkeeper {
namespace {

// The platform's hook procedure hands every message of the hooked main
// window to the clipboard watch.
std::intptr_t ForwardToHook(void* context, WindowHandle window, unsigned message,
                            std::uintptr_t wParam, std::intptr_t lParam) {
  return HookProc(*static_cast<Program*>(context), window, message, wParam, lParam);
}

int RunMessageLoop(const Form1& form) {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    const bool forMainWindow =
        message.hwnd == form.hwnd() || IsChild(form.hwnd(), message.hwnd);
    if (forMainWindow && TranslateAcceleratorW(form.hwnd(), form.accelerators(), &message)) {
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

int Run(Win32Platform& platform, HINSTANCE instance) {
  // Before any window or message: the language they speak.
  UseLanguage(StoredLanguageChoice(platform));
  // The initialisation step.
  HandleClearSwitch(platform);
  StartUpLock startUpLock;
  CheckSingleInstance(platform, kMainWindowClass, kProgramTitle);

  Form1 form(platform);
  platform.SetHookHandler(&ForwardToHook, &form.program());
  form.Create(instance, PIXKEEPER_ICON);
  form.OnTitleSet([&startUpLock] { startUpLock.Release(); });
  try {
    form.Load();
  } catch (const RuntimeError& error) {
    // A stored value that cannot be used: nothing is hooked, nothing written.
    platform.ShowMessage(StartUpErrorMessage(error), message_style::kError, std::nullopt);
    platform.EndProgram();
  }
  form.Show();
  return RunMessageLoop(form);
}

}  // namespace
}  // namespace pixkeeper

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  pixkeeper::Win32Platform platform;
  try {
    return pixkeeper::Run(platform, instance);
  } catch (...) {
    pixkeeper::EndWithError(platform, pixkeeper::CurrentExceptionText());
  }
}
