#pragma once
// The clipboard as the program uses it: format tests, pictures borrowed in
// place, plain text, and emptying. The clipboard is opened on a hidden
// message-only window of its own, because emptying it with no window leaves it
// without an owner and SetClipboardData then fails.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Picture.h"

namespace pixkeeper::win32 {

struct ClipboardState;

// The clipboard opened by this process; closed again when the last session
// ends. Sessions nest: a borrowed picture keeps one open, and a later
// operation of this process then shares it instead of failing.
class ClipboardSession {
 public:
  // Raises RuntimeError 521 when another program keeps the clipboard open
  // past a short wait.
  explicit ClipboardSession(std::shared_ptr<ClipboardState> state);
  ClipboardSession(ClipboardSession&& other) noexcept = default;
  ClipboardSession& operator=(ClipboardSession&&) = delete;
  ClipboardSession(const ClipboardSession&) = delete;
  ClipboardSession& operator=(const ClipboardSession&) = delete;
  ~ClipboardSession();

 private:
  std::shared_ptr<ClipboardState> state_;
};

class Clipboard {
 public:
  Clipboard();
  Clipboard(const Clipboard&) = delete;
  Clipboard& operator=(const Clipboard&) = delete;
  ~Clipboard();

  bool HasFormat(int format) const;
  ClipboardPicture GetPicture(int format);
  void SetText(const std::wstring& text);
  void Clear();
  bool ClearIfUnchanged(std::uint32_t sequence);

 private:
  // Emptying frees the memory a borrowed picture points into.
  void RefuseWhileBorrowed() const;
  ClipboardPicture BorrowDib();
  ClipboardPicture ConvertBitmap();

  std::shared_ptr<ClipboardState> state_;
};

}  // namespace pixkeeper::win32
