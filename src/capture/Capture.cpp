// The steps of one capture, run on the worker thread as CaptureQueue takes
// up each clipboard change.

#include "capture/CaptureQueue.h"

#include <cstdint>
#include <new>
#include <optional>
#include <string>
#include <utility>

#include "base/RuntimeError.h"
#include "capture/FileNaming.h"
#include "capture/PictureSource.h"
#include "capture/SaveFolders.h"
#include "capture/StatusText.h"
#include "capture/ThumbnailSource.h"

namespace pixkeeper {

// The options a capture follows, as the menu's marks are when it begins.
struct CaptureOptions {
  NamingOptions naming;
  bool asksUser = false, png = false, keep = false, skipRepeats = false, byDay = false, byProgram = false;
  std::wstring directory;  // the save directory
  ThumbnailLook thumbnails;
};

namespace {

CaptureOptions CurrentOptions(const Program& program) {
  const MainWindowParts& window = program.window;
  CaptureOptions options;
  options.naming = CurrentNaming(program);
  options.asksUser = options.naming.scheme == naming_scheme::kUserInput;
  options.png = options.naming.format == FileFormat::kPng;
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
// the clipboard as it was; the naming counters stay advanced. A picture that
// is not saved is said in the status line, with why.
void CaptureQueue::CaptureOnce() {
  try {
    if (paused_ || program_.platform.ClipboardSequence() == passed_) return;
    CaptureOptions options;
    window_.Invoke([&] { options = CurrentOptions(program_); });
    SaveOnce(options);
  } catch (const RuntimeError& error) {
    const std::wstring text = DroppedText(error);
    window_.Post([this, text] { program_.window.ShowStatus(text); });
  } catch (const std::bad_alloc&) {
    const std::wstring text = DroppedText(RuntimeError(error::kOutOfMemory));
    window_.Post([this, text] { program_.window.ShowStatus(text); });
  }
}

void CaptureQueue::SaveOnce(const CaptureOptions& options) {
  Platform& platform = program_.platform;
  ClipboardPicture taken;
  std::wstring program;
  const bool gaveUp = GaveUpWaiting(OwnerWait::kReading, [&] {
    taken = TakeClipboardPicture(platform, options.png);
    // Held apart from the clipboard from here on: the clipboard is closed
    // again before the picture is named, encoded or written, so that other
    // programs can copy and paste meanwhile (the save dialog waits for the
    // user; a network folder may take long).
    taken.picture.Detach();
    if (options.byProgram) {
      program = ProgramFolderName(platform.ClipboardOwnerProgram(), platform.ClipboardFilledByHostDesktop());
    }
  });
  // The picture can vanish between the test and the read.
  if (gaveUp || taken.empty() || taken.sequence == passed_) return;

  if (options.skipRepeats && repeats_.Repeats(taken)) {
    passed_ = taken.sequence;
    window_.Post([this] { program_.window.ShowStatus(RepeatedText()); });
    if (!options.keep) EmptyClipboardAfterSave();
    return;
  }
  const std::wstring& directory = options.directory;
  const std::wstring below =
      SubFolders(options.byProgram, program, options.byDay, options.byDay ? platform.CurrentDate() : LocalDate{});
  if (options.asksUser) {
    // The save dialog opens in the picture's folder, made for it where it
    // can be; the write says why not.
    try {
      MakeFolders(platform, directory, below);
    } catch (const RuntimeError&) {
    }
  }
  std::wstring path = directory + below;
  window_.Invoke([&] { path += NextFileName(program_, path, options.naming); });

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
  taken = ClipboardPicture();
  window_.Invoke([&] {
    program_.window.AppendToFileList(path, thumbnail);
    program_.window.ShowStatus(L"");
  });
  if (options.keep || EmptyClipboardAfterSave()) platform.SoundBeep();
}

bool CaptureQueue::EmptyClipboardAfterSave() {
  // The picture is kept whatever happens now: a clipboard that another
  // program holds stays full, and its picture is not saved again.
  try {
    return EmptyClipboard();
  } catch (const RuntimeError&) {
    return false;
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
