#pragma once
// The clipboard changes, taken up one at a time on the worker thread in the
// order they came, so that no window waits on the program that filled the
// clipboard: reading a promised picture and emptying the clipboard both wait
// for it. A change noticed while a capture runs is taken up next; several
// such changes are one, since only the last contents can still be read.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "capture/Program.h"
#include "capture/RepeatCheck.h"
#include "image/Thumbnail.h"
#include "platform/TaskRunner.h"
#include "platform/WindowThread.h"

namespace pixkeeper {

struct CaptureOptions;

// What the worker waits for from the clipboard's owner.
enum class OwnerWait { kNone, kReading, kEmptying };

class CaptureQueue {
 public:
  // How long the owner has to answer before the wait is given up and said.
  static constexpr int kOwnerPatienceMilliseconds = 10000;
  // How long the end of the program waits for a file being written.
  static constexpr int kWriteGraceMilliseconds = 1500;

  CaptureQueue(Program& program, TaskRunner& worker, WindowThread& window);
  CaptureQueue(const CaptureQueue&) = delete;
  CaptureQueue& operator=(const CaptureQueue&) = delete;

  // The calls below are made on the window's thread.

  // The clipboard changed: a capture is queued unless one is queued already
  // and has not yet begun.
  void Notice();
  // What the clipboard holds now is not saved; when `empty`, the clipboard is
  // emptied too (at start).
  void PassOverPresent(bool empty);
  // While paused, the changes are not taken up: nothing is read, saved or
  // emptied and no name is used; the viewer chain still hears of each.
  void Pause();
  // Captures again from the next change; what the clipboard holds now is
  // not saved.
  void Resume();
  bool Paused() const { return pausedNotices_; }
  // Puts a listed path on the clipboard after the captures queued before it.
  void CopyText(std::wstring text);
  // PNG files are chosen: the encoder is made ready on the worker, so that
  // the first picture does not wait for it.
  void PreparePng();
  // At the end of the program: waits a little for a file being written, so
  // that none is left half-written, and writes no other.
  void StopWriting();

 private:
  // Window thread: the watchdog armed for `wait` ran out. A wait still under
  // way is given up, its result thrown away when it comes, and the status
  // line says so.
  void OwnerTooSlow(std::uint64_t wait);

  // Worker thread.
  void Round();
  void CaptureOnce();
  void SaveOnce(const CaptureOptions& options);
  // Empties the clipboard unless it changed since `passed_`; false when the
  // wait for its owner was given up.
  bool EmptyClipboard();
  // The same once the picture is dealt with: false too when another program
  // holds the clipboard.
  bool EmptyClipboardAfterSave();
  // Runs `step`, watched from the window's thread; true when the wait was
  // given up meanwhile.
  bool GaveUpWaiting(OwnerWait wait, const std::function<void()>& step);
  std::uint64_t BeginWait(OwnerWait wait);
  bool EndWait(std::uint64_t wait);

  Program& program_;
  TaskRunner& worker_;
  WindowThread& window_;

  std::mutex mutex_;
  bool roundQueued_ = false;
  std::uint64_t waitNumber_ = 0;  // the wait under way, or the last one
  OwnerWait waiting_ = OwnerWait::kNone;
  bool gaveUp_ = false;

  std::timed_mutex writing_;  // held while a file is written
  std::atomic<bool> stopped_{false};  // no file is written any more
  // The pause as the window sees it: its notices queue nothing.
  bool pausedNotices_ = false;
  // The pause as the worker sees it: set at once, cleared in turn after the
  // rounds queued before the resume, which so save nothing.
  std::atomic<bool> paused_{false};
  // Counts the pauses, under mutex_: a resume still queued when a later
  // pause came clears nothing.
  std::uint64_t pauses_ = 0;

  // Worker thread only: the sequence number of contents already dealt with
  // (saved, present at start), which its further notices do not save again.
  std::uint32_t passed_ = 0;
  RepeatCheck repeats_;  // worker thread only: the last picture saved
  ThumbnailMaker thumbnails_;  // worker thread only
};

}  // namespace pixkeeper
