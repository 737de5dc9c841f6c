#pragma once
// The platform operations on Windows. Create one, on the user-interface
// thread, and keep it for the life of the program: pictures borrowed from the
// clipboard refer to it.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/Platform.h"

namespace pixkeeper {

namespace win32 {
class Clipboard;
}

class Win32Platform final : public Platform {
 public:
  using HookHandler = std::intptr_t (*)(void* context, WindowHandle window, unsigned message,
                                        std::uintptr_t wParam, std::intptr_t lParam);

  Win32Platform();
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;
  ~Win32Platform() override;

  // The procedure that HookProcedure() names hands every message to this
  // handler (the user interface registers one that calls HookProc). There is
  // one handler for the whole process.
  void SetHookHandler(HookHandler handler, void* context);

  bool ClipboardHasFormat(int format) override;
  std::vector<int> ClipboardFormats() override;
  int ClipboardFormatNamed(const std::wstring& name) override;
  std::optional<std::uint32_t> ClipboardGetNumber(int format) override;
  bool ClipboardFilledByHostDesktop() override;
  ClipboardPicture ClipboardGetPicture(int format) override;
  std::vector<std::uint8_t> ClipboardGetBytes(int format, std::uint32_t& sequence) override;
  std::wstring ClipboardOwnerProgram() override;
  void ClipboardSetText(const std::wstring& text) override;
  std::uint32_t ClipboardSequence() override;
  std::optional<std::uint32_t> ClipboardClearIfUnchanged(std::uint32_t sequence) override;

  void SavePictureFile(const Picture& picture, const std::wstring& path, FileFormat format) override;
  void SaveBytesFile(const std::vector<std::uint8_t>& bytes, const std::wstring& path) override;
  Picture DecodePng(const std::vector<std::uint8_t>& bytes) override;
  Picture LoadPictureFile(const std::wstring& path) override;
  void RemoveLeftoverWrites(const std::wstring& folder) override;
  bool FileExists(const std::wstring& path) override;
  bool DirectoryExists(const std::wstring& path) override;
  void MakeDirectory(const std::wstring& path) override;

  std::wstring ReadSetting(const std::wstring& application, const std::wstring& section,
                           const std::wstring& key, const std::wstring& defaultText) override;
  void WriteSetting(const std::wstring& application, const std::wstring& section,
                    const std::wstring& key, const std::wstring& text) override;
  void DeleteSettingSection(const std::wstring& application, const std::wstring& section) override;
  void DeleteSetting(const std::wstring& application, const std::wstring& section,
                     const std::wstring& key) override;

  void ShowMessage(const std::wstring& text, int style,
                   const std::optional<std::wstring>& title) override;
  void SoundBeep() override;
  SaveDialogChoice ShowSaveDialog(const SaveDialogRequest& request) override;

  LocalDate CurrentDate() override;
  LocalTime CurrentTime() override;
  std::wstring CommandLineText() override;
  std::wstring ProgramDirectory() override;
  std::wstring ProgramPath() override;
  std::wstring PicturesFolder() override;
  std::uint16_t DisplayLanguage() override;
  ScreenTwips ScreenSize() override;
  [[noreturn]] void EndProgram() override;

  WindowHandle SetClipboardViewer(WindowHandle window) override;
  void ChangeClipboardChain(WindowHandle window, WindowHandle next) override;
  WindowProcedure SetWindowProcedure(WindowHandle window, WindowProcedure procedure) override;
  WindowProcedure HookProcedure() override;
  std::intptr_t CallWindowProcedure(WindowProcedure procedure, WindowHandle window,
                                    unsigned message, std::uintptr_t wParam,
                                    std::intptr_t lParam) override;
  std::intptr_t SendWindowMessage(WindowHandle window, unsigned message, std::uintptr_t wParam,
                                  std::intptr_t lParam) override;
  bool WindowExists(const std::wstring& windowClass, const std::wstring& title) override;
  void OpenWithAssociatedApplication(WindowHandle owner, const std::wstring& path,
                                     const std::wstring& workingDirectory) override;
  void OpenFolder(WindowHandle owner, const std::wstring& path) override;
  void Sleep(int milliseconds) override;

 private:
  std::unique_ptr<win32::Clipboard> clipboard_;
};

}  // namespace pixkeeper
