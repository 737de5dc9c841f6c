#pragma once
// The window-level system calls of the clipboard watch, the single-instance
// guard and the file list, and the static window procedure that carries the
// main window's hook.

#include <cstdint>
#include <string>

#include "platform/Platform.h"

namespace pixkeeper::win32 {

using HookHandler = std::intptr_t (*)(void* context, WindowHandle window, unsigned message,
                                      std::uintptr_t wParam, std::intptr_t lParam);

// Every message that reaches the hook procedure goes to this handler.
void SetHookHandler(HookHandler handler, void* context) noexcept;
WindowProcedure HookProcedure() noexcept;

WindowHandle SetClipboardViewer(WindowHandle window);
void ChangeClipboardChain(WindowHandle window, WindowHandle next);
WindowProcedure SetWindowProcedure(WindowHandle window, WindowProcedure procedure);
std::intptr_t CallWindowProcedure(WindowProcedure procedure, WindowHandle window, unsigned message,
                                  std::uintptr_t wParam, std::intptr_t lParam);
std::intptr_t SendWindowMessage(WindowHandle window, unsigned message, std::uintptr_t wParam,
                                std::intptr_t lParam);
bool WindowExists(const std::wstring& windowClass, const std::wstring& title);
void OpenWithAssociatedApplication(WindowHandle owner, const std::wstring& path,
                                   const std::wstring& workingDirectory);
// The shell opens the folder on a thread of its own; RuntimeError when it
// cannot even begin.
void OpenFolder(WindowHandle owner, const std::wstring& path);

}  // namespace pixkeeper::win32
