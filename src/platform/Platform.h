#pragma once
// The operating-system and runtime operations that the logic calls. The logic
// depends only on this interface; platform/win32 implements it on Windows and
// the tests implement it in memory.
//
// Every operation that can fail raises RuntimeError.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/FormatText.h"
#include "image/Picture.h"

namespace pixkeeper {

// Clipboard format numbers.
namespace clipboard_format {
constexpr int kText = 1;
constexpr int kBitmap = 2;
constexpr int kDib = 8;
constexpr int kDibV5 = 17;
}  // namespace clipboard_format

// Message box styles.
namespace message_style {
constexpr int kPlain = 0;
constexpr int kError = 16;
constexpr int kInformation = 64;
}  // namespace message_style

// Window messages that the logic looks at.
namespace window_message {
constexpr unsigned kDestroy = 0x0002;
constexpr unsigned kQueryEndSession = 0x0011;
constexpr unsigned kEndSession = 0x0016;
constexpr unsigned kDrawClipboard = 0x0308;
constexpr unsigned kChangeClipboardChain = 0x030D;
}  // namespace window_message

using WindowHandle = std::uintptr_t;     // a window; never owned by the logic
using WindowProcedure = std::uintptr_t;  // the address of a window procedure

struct ScreenTwips {
  double width = 0;
  double height = 0;
};

// The kinds of picture file the program writes.
enum class FileFormat { kBmp, kPng };

// Flags of the standard save-as dialog.
namespace save_dialog_flag {
constexpr unsigned kOverwritePrompt = 2;  // asks before an existing file is chosen
constexpr unsigned kHideReadOnly = 4;     // no read-only check box
}  // namespace save_dialog_flag

// The settings of the standard save-as dialog.
struct SaveDialogRequest {
  WindowHandle owner = 0;  // the dialog is modal to this window
  std::wstring initialDirectory;
  std::wstring title;
  std::wstring filter;  // description|pattern| pairs
  unsigned flags = 0;   // save_dialog_flag values
};

struct SaveDialogChoice {
  std::wstring fullPath;  // empty when nothing was chosen
  std::wstring fileName;  // the name without its directory
};

class Platform {
 public:
  virtual ~Platform() = default;

  // Clipboard.
  virtual bool ClipboardHasFormat(int format) = 0;
  // The formats on the clipboard in the order offered: those a program put
  // there first, those the system makes of them after.
  virtual std::vector<int> ClipboardFormats() = 0;
  // The number of the format registered under this name; 0 when there is none.
  virtual int ClipboardFormatNamed(const std::wstring& name) = 0;
  // The first four bytes of the format's data as a number; none when the
  // format is absent or shorter.
  virtual std::optional<std::uint32_t> ClipboardGetNumber(int format) = 0;
  // True when the contents come from a program outside Windows: from the
  // Linux desktop, through Wine.
  virtual bool ClipboardFilledByHostDesktop() = 0;
  // The picture of format 2, 8 or 17, or of the format named "PNG", decoded.
  // It may borrow the clipboard's own memory and keep the clipboard open
  // until the picture is emptied or detached.
  virtual ClipboardPicture ClipboardGetPicture(int format) = 0;
  // A copy of the format's data as it is, with the clipboard's sequence
  // number then; empty when the format is absent.
  virtual std::vector<std::uint8_t> ClipboardGetBytes(int format, std::uint32_t& sequence) = 0;
  // The executable of the program whose window owns the clipboard; empty
  // when that cannot be told (no owner, the program has ended).
  virtual std::wstring ClipboardOwnerProgram() = 0;
  virtual void ClipboardSetText(const std::wstring& text) = 0;
  // The number the system gives the clipboard's contents, new with each
  // change; asking never waits.
  virtual std::uint32_t ClipboardSequence() = 0;
  // Empties the clipboard only when its sequence number is still `sequence`;
  // returns the number of the emptied clipboard, none when it had changed.
  virtual std::optional<std::uint32_t> ClipboardClearIfUnchanged(std::uint32_t sequence) = 0;

  // Files and pictures.
  // Writes a BMP or PNG file. A file of that name is never replaced: the
  // write raises RuntimeError 58 instead. A failed write leaves no file.
  virtual void SavePictureFile(const Picture& picture, const std::wstring& path, FileFormat format) = 0;
  // Writes the bytes as they are, as safely as a picture.
  virtual void SaveBytesFile(const std::vector<std::uint8_t>& bytes, const std::wstring& path) = 0;
  // Removes the temporary files that writes cut short (by the end of the
  // process) left in the folder: only names the writes make. Never fails.
  virtual void RemoveLeftoverWrites(const std::wstring& folder) = 0;
  // The picture that PNG bytes hold, decoded.
  virtual Picture DecodePng(const std::vector<std::uint8_t>& bytes) = 0;
  // The picture of a BMP or PNG file.
  virtual Picture LoadPictureFile(const std::wstring& path) = 0;
  virtual bool FileExists(const std::wstring& path) = 0;
  virtual bool DirectoryExists(const std::wstring& path) = 0;
  // Makes the folder; one that exists already is no error.
  virtual void MakeDirectory(const std::wstring& path) = 0;

  // Per-user settings store.
  virtual std::wstring ReadSetting(const std::wstring& application, const std::wstring& section,
                                   const std::wstring& key, const std::wstring& defaultText) = 0;
  virtual void WriteSetting(const std::wstring& application, const std::wstring& section,
                            const std::wstring& key, const std::wstring& text) = 0;
  virtual void DeleteSettingSection(const std::wstring& application,
                                    const std::wstring& section) = 0;
  // Removes one key; a missing one is no error.
  virtual void DeleteSetting(const std::wstring& application, const std::wstring& section,
                             const std::wstring& key) = 0;

  // The user.
  // A modal message box with an OK button; without a title it carries the
  // program's title.
  virtual void ShowMessage(const std::wstring& text, int style,
                           const std::optional<std::wstring>& title) = 0;
  virtual void SoundBeep() = 0;
  // The modal save-as dialog; a cancel raises RuntimeError 32755.
  virtual SaveDialogChoice ShowSaveDialog(const SaveDialogRequest& request) = 0;

  // Environment.
  virtual LocalDate CurrentDate() = 0;
  virtual LocalTime CurrentTime() = 0;
  virtual std::wstring CommandLineText() = 0;
  virtual std::wstring ProgramDirectory() = 0;
  // The full path of the program's own file.
  virtual std::wstring ProgramPath() = 0;
  // The user's Pictures folder, as the system knows it, ending with "\".
  virtual std::wstring PicturesFolder() = 0;
  // Windows' display language, as a LANGID.
  virtual std::uint16_t DisplayLanguage() = 0;
  virtual ScreenTwips ScreenSize() = 0;
  // Destroys every window of the program without asking it, then ends the
  // process. The in-memory platform of the tests throws instead.
  [[noreturn]] virtual void EndProgram() = 0;

  // Windows functions.
  virtual WindowHandle SetClipboardViewer(WindowHandle window) = 0;
  virtual void ChangeClipboardChain(WindowHandle window, WindowHandle next) = 0;
  // Installs a window procedure and returns the one it replaced.
  virtual WindowProcedure SetWindowProcedure(WindowHandle window, WindowProcedure procedure) = 0;
  // The address of the procedure that forwards the main window's messages to
  // the clipboard watch's HookProc.
  virtual WindowProcedure HookProcedure() = 0;
  virtual std::intptr_t CallWindowProcedure(WindowProcedure procedure, WindowHandle window,
                                            unsigned message, std::uintptr_t wParam,
                                            std::intptr_t lParam) = 0;
  virtual std::intptr_t SendWindowMessage(WindowHandle window, unsigned message,
                                          std::uintptr_t wParam, std::intptr_t lParam) = 0;
  // True when a top-level window of this class with exactly this title exists.
  virtual bool WindowExists(const std::wstring& windowClass, const std::wstring& title) = 0;
  // Opens the file with the application associated with its type ("open").
  virtual void OpenWithAssociatedApplication(WindowHandle owner, const std::wstring& path,
                                             const std::wstring& workingDirectory) = 0;
  // Shows the folder in the system's file manager without waiting for it.
  virtual void OpenFolder(WindowHandle owner, const std::wstring& path) = 0;
  virtual void Sleep(int milliseconds) = 0;
};

}  // namespace pixkeeper
