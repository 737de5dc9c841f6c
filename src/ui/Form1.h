#pragma once
// The main window: the list of the files saved in this run, a status line
// below it and the menus. It starts the program in its load step and ends it
// in its query-unload step. Captures run on the worker thread and come back
// here for names, list entries and the status line.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "capture/CaptureQueue.h"
#include "capture/Program.h"
#include "platform/win32/Handles.h"
#include "platform/win32/WindowTasks.h"
#include "ui/BaseWindow.h"
#include "ui/Fname.h"
#include "ui/StartUp.h"
#include "ui/ThumbnailList.h"
#include "ui/TrayIcon.h"
#include "ui/WindowFont.h"

namespace pixkeeper {

class Form1 final : public BaseWindow<Form1>, public MainWindowParts, private MainWindowSteps {
 public:
  explicit Form1(Platform& platform);

  Program& program() { return program_; }
  HACCEL accelerators() const { return accelerators_.get(); }

  // Creates the window, hidden and untitled, with its menus and list; the
  // icon resource is also drawn small for the notification area.
  void Create(HINSTANCE instance, WORD iconResource);
  // Called once the window bears its title, from then on findable by name.
  void OnTitleSet(std::function<void()> callback) { titleSet_ = std::move(callback); }
  // The load step; a RuntimeError leaves before the window is hooked.
  void Load();
  // Shows the window, normal or minimised as the load step decided, and the
  // icon in the notification area.
  void Show();

  // The parts the capture and the settings work on.
  void AppendToFileList(const std::wstring& path, const ThumbnailView& thumbnail) override;
  ThumbnailLook Thumbnails() const override;
  bool IsChecked(OptionItem item) const override;
  void SetChecked(OptionItem item, bool checked) override;
  void ShowStatus(const std::wstring& text) override;

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  // The steps of the load step that act on this window.
  void SetTitle(const std::wstring& title) override;
  void PrepareFnameDialog() override;
  void CenterOnScreen() override;
  void PlaceFileList() override;
  void SetMinimised(bool minimised) override;
  WindowHandle Handle() const override;

  void OnCommand(int id, int code);
  void OnFileListSelectionChange();
  void OnFileListDoubleClick();
  void ShowFnameDialog();
  void ShowImageView(const std::wstring& path);
  void ShowAbout();
  void ShowDirConfig();
  void ToggleCheck(int menuId);
  void SetPaused(bool paused);
  void OnTrayNotice(WPARAM at, LPARAM notice);
  // Restored if minimised, and brought to the front with its open dialog.
  void BringToFront();
  void SetBusyCursor(bool busy);
  std::wstring SelectedEntry() const;
  void PlaceStatusLine();

  Program program_;
  win32::WindowTasks tasks_;
  WindowFont font_{12};
  win32::AcceleratorTable accelerators_;
  TrayIcon tray_;
  HMENU menu_ = nullptr;
  ThumbnailList fileList_;
  HWND statusLine_ = nullptr;
  std::unique_ptr<Fname> fname_;
  std::function<void()> titleSet_;
  bool minimised_ = false;
  bool busyCursor_ = false;
};

}  // namespace pixkeeper
