#pragma once
// What the logic works on: the state record, the platform, the parts of the
// main window that the logic touches, and the queue of clipboard changes.

#include <functional>
#include <string>

#include "capture/AppState.h"
#include "image/Thumbnail.h"
#include "platform/Platform.h"

namespace pixkeeper {

class CaptureQueue;

// The main window's menu items with check marks: the stored options, then
// the pause and starting with Windows, which are not stored.
enum class OptionItem {
  StartPosition, StartMode, ViewMode, SavePng, KeepClipboard, DayFolders, ProgramFolders, SkipRepeats,
  Thumbnails, Paused, StartWithWindows
};

// How the list shows small pictures: the box they fit, empty while it shows
// none, and the colour under their transparent pixels (0x00RRGGBB).
struct ThumbnailLook {
  PixelSize box;
  std::uint32_t background = 0;
};

class MainWindowParts {
 public:
  virtual ~MainWindowParts() = default;
  // Appends an entry at the end of FileList, with the small picture of its
  // file, an empty one when there is none.
  virtual void AppendToFileList(const std::wstring& path, const ThumbnailView& thumbnail) = 0;
  virtual ThumbnailLook Thumbnails() const = 0;
  virtual bool IsChecked(OptionItem item) const = 0;
  virtual void SetChecked(OptionItem item, bool checked) = 0;
  // The status line at the window's foot; an empty text clears it.
  virtual void ShowStatus(const std::wstring& text) = 0;
};

struct Program {
  Program(Platform& platformIn, MainWindowParts& windowIn) : platform(platformIn), window(windowIn) {}

  AppState state;
  Platform& platform;
  MainWindowParts& window;
  CaptureQueue* capture = nullptr;  // set once the window can take notices
  // Writes the settings at the session's end, set by the window that owns
  // it: the clipboard watch calls it when the window goes away while hooked.
  std::function<void()> saveSession;
};

}  // namespace pixkeeper
