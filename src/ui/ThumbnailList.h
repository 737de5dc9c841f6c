#pragma once
// The main window's list of saved files. Every entry's text is its path:
// other programs and screen readers read it, a click copies it. With small
// pictures shown the list box is drawn by the program, each entry with the
// small picture of its file before the path; without, it is the plain list
// box. A list box cannot change between the two, so it is made anew with its
// entries when the mark changes.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "capture/Program.h"
#include "image/ThumbnailStore.h"

namespace pixkeeper {

class ThumbnailList {
 public:
  // The small pictures held at most, whatever the count of entries.
  static constexpr std::size_t kStoreBytes = 16 * 1024 * 1024;

  ThumbnailList();
  ~ThumbnailList();
  ThumbnailList(const ThumbnailList&) = delete;
  ThumbnailList& operator=(const ThumbnailList&) = delete;

  // The plain list box, a child of `parent` with the control id `id`.
  HWND Create(HWND parent, int id, HFONT font);
  HWND hwnd() const { return list_; }

  // Makes the list box anew, drawn by the program or plain, with its
  // entries, their selection, scroll position and place; the focus stays.
  void ShowThumbnails(bool show);
  // The box of the small pictures while shown, else an empty one.
  ThumbnailLook Look() const;

  // A new entry at the end; its small picture is kept while there is room.
  void Append(const std::wstring& path, const ThumbnailView& thumbnail);

  // The parent's WM_MEASUREITEM and WM_DRAWITEM; false when they are for
  // another control.
  bool Measure(MEASUREITEMSTRUCT& item) const;
  bool Draw(const DRAWITEMSTRUCT& item);

 private:
  HWND MakeListBox(const RECT& at) const;
  int Scaled(int pixels) const;
  int ItemHeight() const;
  int TextLeft() const;
  void SetExtent() const;

  struct Memory;  // the block the small pictures live in
  HWND parent_ = nullptr;
  HWND list_ = nullptr;
  int id_ = 0;
  HFONT font_ = nullptr;
  bool showing_ = false;
  int widestText_ = 0;  // in pixels, for the horizontal scroll bar
  std::unique_ptr<Memory> memory_;
  std::unique_ptr<ThumbnailStore> store_;
};

}  // namespace pixkeeper
