#include "platform/win32/Dialogs.h"

#include <windows.h>
#include <cderr.h>
#include <commdlg.h>

#include <vector>

#include "base/ProgramTitle.h"
#include "base/RuntimeError.h"
#include "base/Texts.h"

namespace pixkeeper::win32 {

namespace {

// Room for a long path: the dialog reports a shorter buffer as a failure.
constexpr DWORD kPathBufferLength = 32768;

// The dialog could not be shown at all (not a cancel).
constexpr int kDialogFailure = 32765;

}  // namespace

void ShowMessage(const std::wstring& text, int style, const std::optional<std::wstring>& title) {
  const std::wstring& caption = title ? *title : std::wstring(kProgramTitle);
  ::MessageBoxW(::GetActiveWindow(), text.c_str(), caption.c_str(),
                MB_OK | static_cast<UINT>(style));
}

void SoundBeep() { ::MessageBeep(MB_OK); }

std::wstring DialogFilter(const std::wstring& barSeparated) {
  std::wstring filter = barSeparated;
  for (wchar_t& c : filter) {
    if (c == L'|') c = L'\0';
  }
  // Terminate the last text if the list did not end with "|", then end the list.
  if (!filter.empty() && filter.back() != L'\0') filter.push_back(L'\0');
  filter.push_back(L'\0');
  return filter;
}

SaveDialogChoice ShowSaveDialog(const SaveDialogRequest& request) {
  std::vector<wchar_t> path(kPathBufferLength, L'\0');
  const std::wstring filter = DialogFilter(request.filter);

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = reinterpret_cast<HWND>(request.owner);
  dialog.lpstrFilter = request.filter.empty() ? nullptr : filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = kPathBufferLength;
  dialog.lpstrInitialDir = request.initialDirectory.empty() ? nullptr : request.initialDirectory.c_str();
  dialog.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
  dialog.Flags = request.flags;

  if (!::GetSaveFileNameW(&dialog)) {
    const DWORD code = ::CommDlgExtendedError();
    if (code == 0) throw RuntimeError(error::kDialogCancelled);
    if (code == CDERR_MEMALLOCFAILURE || code == CDERR_MEMLOCKFAILURE) {
      throw RuntimeError(error::kOutOfMemory);
    }
    throw RuntimeError(kDialogFailure,
                       Text(TextId::kSaveDialogFailed, {std::to_wstring(code)}));
  }

  SaveDialogChoice choice;
  choice.fullPath = path.data();
  if (dialog.nFileOffset < choice.fullPath.size()) {
    choice.fileName = choice.fullPath.substr(dialog.nFileOffset);
  }
  return choice;
}

}  // namespace pixkeeper::win32
