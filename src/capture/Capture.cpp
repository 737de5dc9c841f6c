#include "capture/Capture.h"

#include <cstdint>
#include <new>
#include <optional>
#include <string>
#include <utility>

#include "capture/FileNaming.h"
#include "capture/PictureSource.h"
#include "capture/StatusText.h"
#include "platform/RuntimeError.h"

namespace pixkeeper {

// One capture, in the order users see it: the file, its list entry, the
// clipboard emptied, the beep. A failure leaves no list entry, no beep and
// the clipboard as it was; the naming counters stay advanced, and a file that
// could not be written is said in the status line.
void CaptureQueue::CaptureOnce() {
  Platform& platform = program_.platform;
  try {
    // The notices of the program's own clearing, and any repeated ones.
    if (platform.ClipboardSequence() == passed_) return;
    ClipboardPicture taken;
    if (GaveUpWaiting(OwnerWait::kReading, [&] { taken = TakeClipboardPicture(platform); })) return;
    // The picture can vanish between the test and the read.
    if (taken.picture.empty() || taken.sequence == passed_) return;

    bool asksUser = false;
    window_.Invoke([&] { asksUser = program_.state.NamingScheme == naming_scheme::kUserInput; });
    // The save dialog waits for the user: the clipboard must not stay open
    // meanwhile, or no other program could copy anything.
    if (asksUser) taken.picture.Detach();
    std::wstring path;
    FileFormat format = FileFormat::kBmp;
    bool keep = false;
    window_.Invoke([&] {
      path = program_.state.BaseDir + NextFileName(program_);
      format = SaveFormat(program_);
      keep = program_.window.IsChecked(OptionItem::KeepClipboard);
    });

    try {
      std::lock_guard<std::timed_mutex> lock(writing_);
      if (stopped_) return;
      platform.SavePictureFile(taken.picture, path, format);
    } catch (const RuntimeError& error) {
      const std::wstring text = SaveFailedText(path, error);
      window_.Post([this, text] { program_.window.ShowStatus(text); });
      return;
    }
    taken.picture = Picture();  // lets the clipboard go
    window_.Invoke([&] {
      program_.window.AppendToFileList(path);
      program_.window.ShowStatus(L"");
    });
    // Left on the clipboard, it is not saved again on a repeated notice.
    passed_ = taken.sequence;
    if (keep) {
      platform.SoundBeep();
      return;
    }

    // A picture copied after ours (while the dialog was open) stays on the
    // clipboard; its notice has queued another round.
    std::optional<std::uint32_t> emptied;
    if (GaveUpWaiting(OwnerWait::kEmptying, [&] { emptied = platform.ClipboardClearIfUnchanged(passed_); })) {
      return;
    }
    if (emptied) passed_ = *emptied;
    platform.SoundBeep();
  } catch (const RuntimeError&) {
  } catch (const std::bad_alloc&) {
  }
}

}  // namespace pixkeeper
