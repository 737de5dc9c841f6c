#pragma once
// The clipboard as the program uses it: format tests, pictures borrowed in
// place, plain text, and emptying. Text is put there from a hidden
// message-only window (a clipboard emptied with no window has no owner, and
// SetClipboardData then fails); plain emptying uses no window, so that other
// programs have no owner to wait for.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "image/Picture.h"

namespace pixkeeper::win32 {

struct ClipboardState;

class Clipboard {
 public:
  Clipboard();
  Clipboard(const Clipboard&) = delete;
  Clipboard& operator=(const Clipboard&) = delete;
  ~Clipboard();

  bool HasFormat(int format) const;
  std::vector<int> Formats();
  int FormatNamed(const std::wstring& name) const;
  std::optional<std::uint32_t> GetNumber(int format);
  bool FilledByHostDesktop() const;
  ClipboardPicture GetPicture(int format);
  std::vector<std::uint8_t> GetBytes(int format, std::uint32_t& sequence);
  std::wstring OwnerProgram() const;
  void SetText(const std::wstring& text);
  std::uint32_t Sequence() const;
  std::optional<std::uint32_t> ClearIfUnchanged(std::uint32_t sequence);

 private:
  // Emptying frees the memory a borrowed picture points into.
  void RefuseWhileBorrowed() const;
  ClipboardPicture BorrowDib(unsigned format);
  ClipboardPicture DecodeClipboardPng(unsigned format);
  ClipboardPicture ConvertBitmap();

  std::shared_ptr<ClipboardState> state_;
};

}  // namespace pixkeeper::win32
