#pragma once
// The main window's start-up and shut-down sequences, in the order the rest of
// the program relies on; the window itself supplies the steps that touch it.

#include <string>

#include "base/ProgramTitle.h"
#include "base/RuntimeError.h"
#include "capture/Program.h"

namespace pixkeeper {

// The parts of the load step that act on the main window itself.
class MainWindowSteps {
 public:
  virtual ~MainWindowSteps() = default;
  virtual void SetTitle(const std::wstring& title) = 0;
  // Creates the file-name dialog hidden (it centres itself) and fills it.
  virtual void PrepareFnameDialog() = 0;
  virtual void CenterOnScreen() = 0;
  // Places and sizes the list from the window's outer size, once.
  virtual void PlaceFileList() = 0;
  // Whether the window is to be shown minimised.
  virtual void SetMinimised(bool minimised) = 0;
  virtual WindowHandle Handle() const = 0;
};

// The running number at start: the previous run's when it is to be kept,
// otherwise the start value (0 when there is none). RuntimeError 13 or 6 when
// the start value is no Integer.
Integer InitialPresentValue(const AppState& state);

// The load step. A RuntimeError (a stored value that cannot be used) leaves
// before the window is hooked, so nothing is written back.
void RunLoadStep(Program& program, MainWindowSteps& window);

// Every request to close the main window: the settings are written, the
// window leaves the viewer chain and is unhooked, and the program ends.
void RunQueryUnload(Program& program);

// The report of an error that ended the start-up.
std::wstring StartUpErrorMessage(const RuntimeError& error);

// The double-click's report of a listed file that no longer exists.
std::wstring MissingFileMessage(const std::wstring& path);

// The double-click's report of a listed file that is no picture it can show.
std::wstring UnreadablePictureMessage(const std::wstring& path);

}  // namespace pixkeeper
