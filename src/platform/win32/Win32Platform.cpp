#include "platform/win32/Win32Platform.h"

#include <windows.h>

#include "platform/win32/BitmapFile.h"
#include "platform/win32/Clipboard.h"
#include "platform/win32/Dialogs.h"
#include "platform/win32/Environment.h"
#include "platform/win32/PngDecoder.h"
#include "platform/win32/Registry.h"
#include "platform/win32/WindowFunctions.h"

namespace pixkeeper {

Win32Platform::Win32Platform() : clipboard_(std::make_unique<win32::Clipboard>()) {}

Win32Platform::~Win32Platform() = default;

void Win32Platform::SetHookHandler(HookHandler handler, void* context) {
  win32::SetHookHandler(handler, context);
}

bool Win32Platform::ClipboardHasFormat(int format) { return clipboard_->HasFormat(format); }

std::vector<int> Win32Platform::ClipboardFormats() { return clipboard_->Formats(); }

int Win32Platform::ClipboardFormatNamed(const std::wstring& name) { return clipboard_->FormatNamed(name); }

bool Win32Platform::ClipboardFilledByHostDesktop() { return clipboard_->FilledByHostDesktop(); }

std::optional<std::uint32_t> Win32Platform::ClipboardGetNumber(int format) {
  return clipboard_->GetNumber(format);
}

ClipboardPicture Win32Platform::ClipboardGetPicture(int format) {
  return clipboard_->GetPicture(format);
}

std::vector<std::uint8_t> Win32Platform::ClipboardGetBytes(int format, std::uint32_t& sequence) {
  return clipboard_->GetBytes(format, sequence);
}

std::wstring Win32Platform::ClipboardOwnerProgram() { return clipboard_->OwnerProgram(); }

void Win32Platform::ClipboardSetText(const std::wstring& text) { clipboard_->SetText(text); }

std::uint32_t Win32Platform::ClipboardSequence() { return clipboard_->Sequence(); }

std::optional<std::uint32_t> Win32Platform::ClipboardClearIfUnchanged(std::uint32_t sequence) {
  return clipboard_->ClearIfUnchanged(sequence);
}

void Win32Platform::SavePictureFile(const Picture& picture, const std::wstring& path, FileFormat format) {
  win32::SavePictureFile(picture, path, format);
}

void Win32Platform::SaveBytesFile(const std::vector<std::uint8_t>& bytes, const std::wstring& path) {
  win32::SaveBytesFile(bytes, path);
}

Picture Win32Platform::DecodePng(const std::vector<std::uint8_t>& bytes) {
  return win32::DecodePng(bytes.data(), bytes.size());
}

Picture Win32Platform::LoadPictureFile(const std::wstring& path) {
  return win32::LoadPictureFile(path);
}

void Win32Platform::RemoveLeftoverWrites(const std::wstring& folder) { win32::RemoveLeftoverWrites(folder); }

bool Win32Platform::FileExists(const std::wstring& path) { return win32::FileExists(path); }

bool Win32Platform::DirectoryExists(const std::wstring& path) { return win32::DirectoryExists(path); }

void Win32Platform::MakeDirectory(const std::wstring& path) { win32::MakeDirectory(path); }

std::wstring Win32Platform::ReadSetting(const std::wstring& application, const std::wstring& section,
                                        const std::wstring& key, const std::wstring& defaultText) {
  return win32::ReadSetting(application, section, key, defaultText);
}

void Win32Platform::WriteSetting(const std::wstring& application, const std::wstring& section,
                                 const std::wstring& key, const std::wstring& text) {
  win32::WriteSetting(application, section, key, text);
}

void Win32Platform::DeleteSettingSection(const std::wstring& application,
                                         const std::wstring& section) {
  win32::DeleteSettingSection(application, section);
}

void Win32Platform::DeleteSetting(const std::wstring& application, const std::wstring& section,
                                  const std::wstring& key) {
  win32::DeleteSetting(application, section, key);
}

void Win32Platform::ShowMessage(const std::wstring& text, int style,
                                const std::optional<std::wstring>& title) {
  win32::ShowMessage(text, style, title);
}

void Win32Platform::SoundBeep() { win32::SoundBeep(); }

SaveDialogChoice Win32Platform::ShowSaveDialog(const SaveDialogRequest& request) {
  return win32::ShowSaveDialog(request);
}

LocalDate Win32Platform::CurrentDate() { return win32::CurrentDate(); }

LocalTime Win32Platform::CurrentTime() { return win32::CurrentTime(); }

std::wstring Win32Platform::CommandLineText() { return win32::CommandLineText(); }

std::wstring Win32Platform::ProgramDirectory() { return win32::ProgramDirectory(); }

std::wstring Win32Platform::ProgramPath() { return win32::ProgramPath(); }

std::wstring Win32Platform::PicturesFolder() { return win32::PicturesFolder(); }

std::uint16_t Win32Platform::DisplayLanguage() { return ::GetUserDefaultUILanguage(); }

ScreenTwips Win32Platform::ScreenSize() { return win32::ScreenSize(); }

void Win32Platform::EndProgram() { win32::EndProgram(); }

WindowHandle Win32Platform::SetClipboardViewer(WindowHandle window) {
  return win32::SetClipboardViewer(window);
}

void Win32Platform::ChangeClipboardChain(WindowHandle window, WindowHandle next) {
  win32::ChangeClipboardChain(window, next);
}

WindowProcedure Win32Platform::SetWindowProcedure(WindowHandle window, WindowProcedure procedure) {
  return win32::SetWindowProcedure(window, procedure);
}

WindowProcedure Win32Platform::HookProcedure() { return win32::HookProcedure(); }

std::intptr_t Win32Platform::CallWindowProcedure(WindowProcedure procedure, WindowHandle window,
                                                 unsigned message, std::uintptr_t wParam,
                                                 std::intptr_t lParam) {
  return win32::CallWindowProcedure(procedure, window, message, wParam, lParam);
}

std::intptr_t Win32Platform::SendWindowMessage(WindowHandle window, unsigned message,
                                               std::uintptr_t wParam, std::intptr_t lParam) {
  return win32::SendWindowMessage(window, message, wParam, lParam);
}

bool Win32Platform::WindowExists(const std::wstring& windowClass, const std::wstring& title) {
  return win32::WindowExists(windowClass, title);
}

void Win32Platform::OpenWithAssociatedApplication(WindowHandle owner, const std::wstring& path,
                                                  const std::wstring& workingDirectory) {
  win32::OpenWithAssociatedApplication(owner, path, workingDirectory);
}

void Win32Platform::OpenFolder(WindowHandle owner, const std::wstring& path) {
  win32::OpenFolder(owner, path);
}

void Win32Platform::Sleep(int milliseconds) {
  ::Sleep(milliseconds > 0 ? static_cast<DWORD>(milliseconds) : 0);
}

}  // namespace pixkeeper
