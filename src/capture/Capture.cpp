// The steps of one capture, run on the worker thread as CaptureQueue takes
// up each clipboard change.

#include "capture/CaptureQueue.h"

#include <cstdint>
#include <new>
#include <optional>
#include <string>
#include <utility>

#include "capture/FileNaming.h"
#include "capture/PictureSource.h"
#include "capture/SaveFolders.h"
#include "capture/StatusText.h"
#include "capture/ThumbnailSource.h"
#include "platform/RuntimeError.h"

namespace pixkeeper {

namespace {

// The options a capture follows, as the menu's marks are when it begins.
struct CaptureOptions {
  bool asksUser = false, png = false, keep = false, skipRepeats = false, byDay = false, byProgram = false;
  std::wstring directory;  // the save directory
  ThumbnailLook thumbnails;
};

CaptureOptions CurrentOptions(const Program& program) {
  const MainWindowParts& window = program.window;
  CaptureOptions options;
  options.asksUser = program.state.NamingScheme == naming_scheme::kUserInput;
  options.png = SaveFormat(program) == FileFormat::kPng;
  options.keep = window.IsChecked(OptionItem::KeepClipboard);
  options.skipRepeats = window.IsChecked(OptionItem::SkipRepeats);
  options.byDay = window.IsChecked(OptionItem::DayFolders);
  options.byProgram = window.IsChecked(OptionItem::ProgramFolders);
  options.directory = program.state.BaseDir;
  options.thumbnails = window.Thumbnails();
  return options;
}

// Makes each folder of `below` inside `directory`, which itself is never
// made: a save directory that is missing fails the capture.
void MakeFolders(Platform& platform, const std::wstring& directory, const std::wstring& below) {
  for (std::size_t end = below.find(L'\\'); end != std::wstring::npos; end = below.find(L'\\', end + 1)) {
    platform.MakeDirectory(directory + below.substr(0, end));
  }
}

}  // namespace

// One capture, in the order users see it: the file, its list entry, the
// clipboard emptied, the beep. A failure leaves no list entry, no beep and
// the clipboard as it was; the naming counters stay advanced, and a file that
// could not be written is said in the status line.
void CaptureQueue::CaptureOnce() {
  Platform& platform = program_.platform;
  try {
    // The notices of the program's own clearing, and any repeated ones.
    if (paused_ || platform.ClipboardSequence() == passed_) return;
    CaptureOptions options;
    window_.Invoke([&] { options = CurrentOptions(program_); });
    ClipboardPicture taken;
    std::wstring program;
    const bool gaveUp = GaveUpWaiting(OwnerWait::kReading, [&] {
      taken = TakeClipboardPicture(platform, options.png);
      if (options.byProgram) {
        program = ProgramFolderName(platform.ClipboardOwnerProgram(), platform.ClipboardFilledByHostDesktop());
      }
    });
    // The picture can vanish between the test and the read.
    if (gaveUp || taken.empty() || taken.sequence == passed_) return;

    if (options.skipRepeats && repeats_.Repeats(taken)) {
      passed_ = taken.sequence;
      taken = ClipboardPicture();  // lets the clipboard go
      window_.Post([this] { program_.window.ShowStatus(RepeatedText()); });
      if (!options.keep) EmptyClipboard();
      return;
    }
    const std::wstring& directory = options.directory;
    const std::wstring below =
        SubFolders(options.byProgram, program, options.byDay, options.byDay ? platform.CurrentDate() : LocalDate{});
    if (options.asksUser) {
      // The save dialog waits for the user: the clipboard must not stay open
      // meanwhile, or no other program could copy anything. It opens in the
      // picture's folder, made for it where it can be; the write says why not.
      taken.picture.Detach();
      try {
        MakeFolders(platform, directory, below);
      } catch (const RuntimeError&) {
      }
    }
    std::wstring path = directory + below;
    window_.Invoke([&] { path += NextFileName(program_, path); });

    try {
      std::lock_guard<std::timed_mutex> lock(writing_);
      if (stopped_) return;
      MakeFolders(platform, directory, below);
      if (!taken.png.empty()) {
        platform.SaveBytesFile(taken.png, path);
      } else {
        platform.SavePictureFile(taken.picture, path, options.png ? FileFormat::kPng : FileFormat::kBmp);
      }
    } catch (const RuntimeError& error) {
      const std::wstring text = SaveFailedText(path, error);
      window_.Post([this, text] { program_.window.ShowStatus(text); });
      return;
    }
    if (options.skipRepeats) repeats_.Remember(taken); else repeats_.Forget();
    // Left on the clipboard, it is not saved again on a repeated notice.
    passed_ = taken.sequence;
    const ThumbnailView thumbnail = ThumbnailOf(platform, thumbnails_, taken, options.thumbnails);
    taken = ClipboardPicture();  // lets the clipboard go
    window_.Invoke([&] {
      program_.window.AppendToFileList(path, thumbnail);
      program_.window.ShowStatus(L"");
    });
    if (options.keep || EmptyClipboard()) platform.SoundBeep();
  } catch (const RuntimeError&) {
  } catch (const std::bad_alloc&) {
  }
}

bool CaptureQueue::EmptyClipboard() {
  // A picture copied after ours (while the dialog was open) stays on the
  // clipboard; its notice has queued another round.
  std::optional<std::uint32_t> emptied;
  if (GaveUpWaiting(OwnerWait::kEmptying, [&] { emptied = program_.platform.ClipboardClearIfUnchanged(passed_); })) {
    return false;
  }
  if (emptied) passed_ = *emptied;
  return true;
}

}  // namespace pixkeeper
