#pragma once
// What the logic works on: the state record, the platform, the parts of the
// main window that the logic touches, and the hidden picture holder Pic.

#include <string>

#include "capture/AppState.h"
#include "platform/Picture.h"
#include "platform/Platform.h"

namespace pixkeeper {

// The main window's menu items whose check marks hold the four options.
enum class OptionItem { StartPosition, StartMode, ViewMode, SavePng };

class MainWindowParts {
 public:
  virtual ~MainWindowParts() = default;
  // Appends an entry at the end of FileList.
  virtual void AppendToFileList(const std::wstring& path) = 0;
  virtual bool IsChecked(OptionItem item) const = 0;
  virtual void SetChecked(OptionItem item, bool checked) = 0;
};

struct Program {
  Program(Platform& platformIn, MainWindowParts& windowIn) : platform(platformIn), window(windowIn) {}

  AppState state;
  Platform& platform;
  MainWindowParts& window;
  Picture Pic;  // never shown; holds a picture from the clipboard until it is written
};

}  // namespace pixkeeper
