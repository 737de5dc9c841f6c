#pragma once
// The save-directory dialog: a drive list and a directory list. Every closing
// stores the directory open in the list as the save directory.

#include <windows.h>

#include <string>
#include <vector>

#include "capture/Program.h"
#include "ui/BaseWindow.h"
#include "ui/DialogWindow.h"
#include "ui/DirectoryLines.h"
#include "ui/DriveAccess.h"
#include "ui/ModalLoop.h"
#include "ui/WindowFont.h"

namespace pixkeeper {

class DirConfig final : public BaseWindow<DirConfig> {
 public:
  // Creates and loads the dialog, hidden; `owner` keeps it off the task bar.
  DirConfig(Program& program, HWND owner);

  // Shows the dialog modally; returns when Return or the close box unloads it.
  void ShowModal();

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void Activate();
  void OpenDirectory(const std::wstring& path);
  void ScrollToLine(const std::wstring& text, int level);
  void SelectDrive(wchar_t letter);
  void OnDriveChange();
  void OnDirDoubleClick();
  void OnCommand(int id, int code);
  void QueryUnloadAndUnload();

  Program& program_;
  WindowFont font_{12};
  HWND drive_ = nullptr;
  HWND dir_ = nullptr;
  std::vector<DriveEntry> drives_;
  std::vector<DirectoryLine> lines_;
  std::wstring openPath_;  // the directory open in the list, as the list reads it
  DialogFocus focus_;
  ModalShowing modal_;
};

}  // namespace pixkeeper
