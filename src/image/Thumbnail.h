#pragma once
// Small pictures for the list: a picture scaled down into a box, each small
// pixel the average of the pixels it covers, so that text stays text.

#include <cstddef>
#include <cstdint>
#include <vector>


namespace pixkeeper {

struct PngRows;  // the rows of a picture, as the PNG encoder reads them

struct PixelSize {
  int width = 0;
  int height = 0;
};

// A small picture: top-down rows of blue, green, red and a zero byte, four
// bytes a pixel, no padding (what a 32-bit top-down DIB holds).
struct ThumbnailView {
  int width = 0;
  int height = 0;
  const std::uint8_t* pixels = nullptr;

  bool empty() const noexcept { return pixels == nullptr; }
  std::size_t bytes() const noexcept { return std::size_t(width) * std::size_t(height) * 4; }
};

// The size of the small picture of a `width` x `height` picture in `box`:
// its proportions kept, never larger than the picture, at least 1 x 1.
PixelSize FitInBox(std::uint32_t width, std::uint32_t height, PixelSize box);

// Makes small pictures one after the other, reusing its memory, so that the
// worker takes none from the heap after the first.
class ThumbnailMaker {
 public:
  // The small picture of the rows in `box`; transparent pixels are laid on
  // `background` (0x00RRGGBB). The view points into the maker and holds until
  // the next call. Empty when the box is empty or the rows hold no pixels.
  ThumbnailView Make(const PngRows& rows, PixelSize box, std::uint32_t background);

 private:
  // Measured in parts of 1/(small width) of a source pixel, the small column
  // x covers [x * source width, (x + 1) * source width): part of its first
  // pixel, whole pixels, then part of its last one.
  struct Span {
    std::uint32_t first = 0, firstWeight = 0, last = 0, lastWeight = 0;
  };
  template <int kBytes, bool kAlpha>
  void AddRow(const std::uint8_t* row, std::uint64_t* sums) const;
  const std::uint8_t* RowAsBgra(const PngRows& rows, const std::uint8_t* row);

  std::vector<Span> spans_;
  std::vector<std::uint64_t> rowSums_, upper_, lower_;  // per small pixel and channel
  std::vector<std::uint8_t> expanded_;  // a palette row as blue, green, red, opaque
  std::vector<std::uint8_t> out_;
};

}  // namespace pixkeeper
