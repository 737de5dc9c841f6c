#include "capture/Capture.h"

#include <cstdint>
#include <new>
#include <string>
#include <utility>

#include "capture/FileNaming.h"
#include "capture/PictureSource.h"
#include "platform/Integer.h"
#include "platform/RuntimeError.h"

namespace pixkeeper {

namespace {

// A picture that borrows the clipboard's memory keeps the clipboard open.
// After a failure Pic keeps its own copy, so the clipboard is let go either way.
void KeepPictureOwned(Picture& pic) noexcept {
  try {
    pic.Detach();
  } catch (const std::bad_alloc&) {
    pic = Picture();
  }
}

// Takes the clipboard's picture into Pic. Returns whether there was one;
// `sequence` is the clipboard's state then.
bool TakePicture(Program& program, std::uint32_t& sequence) {
  ClipboardPicture taken = TakeClipboardPicture(program.platform);
  // The picture can vanish between the test and the read; then there is
  // nothing to name or write.
  if (taken.picture.empty()) return false;
  program.Pic = std::move(taken.picture);
  sequence = taken.sequence;
  return true;
}

// One capture. A failure leaves no list entry, no beep and the clipboard as it
// was; the naming counters stay advanced.
void CaptureOnce(Program& program) {
  Platform& platform = program.platform;
  try {
    std::uint32_t sequence = 0;
    if (!TakePicture(program, sequence)) return;

    // The save dialog waits for the user: the clipboard must not stay open
    // meanwhile, or no other program could copy anything.
    if (program.state.NamingScheme == naming_scheme::kUserInput) program.Pic.Detach();

    const std::wstring name = NextFileName(program);
    const std::wstring path = program.state.BaseDir + name;
    platform.SavePictureFile(program.Pic, path, SaveFormat(program));
    program.Pic = platform.LoadPictureFile(L"");
    program.window.AppendToFileList(path);
    // A picture copied after ours (while the dialog was open) stays on the
    // clipboard; its notice has asked for another round.
    platform.ClipboardClearIfUnchanged(sequence);
    platform.SoundBeep();
  } catch (const RuntimeError&) {
    KeepPictureOwned(program.Pic);
  } catch (const std::bad_alloc&) {
    KeepPictureOwned(program.Pic);
  }
}

// CaptureBusy back to 0 however the capture ends.
class BusyScope {
 public:
  explicit BusyScope(AppState& state) : state_(state) { state_.CaptureBusy = kTrue; }
  ~BusyScope() { state_.CaptureBusy = kFalse; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  AppState& state_;
};

}  // namespace

void CaptureClipboard(Program& program) {
  AppState& state = program.state;
  // Notices arrive nested while a capture runs: from its own clipboard clear,
  // and from other programs while the save dialog is open. They are taken up
  // once the running capture is done.
  if (state.CaptureBusy == kTrue) {
    state.CaptureRequested = true;
    return;
  }
  BusyScope busy(state);
  do {
    state.CaptureRequested = false;
    CaptureOnce(program);
  } while (state.CaptureRequested);
}

}  // namespace pixkeeper
