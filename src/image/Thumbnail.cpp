#include "image/Thumbnail.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "image/PngWriter.h"

namespace pixkeeper {

PixelSize FitInBox(std::uint32_t width, std::uint32_t height, PixelSize box) {
  if (width == 0 || height == 0 || box.width <= 0 || box.height <= 0) return {};
  const std::uint64_t w = width, h = height, bw = std::uint64_t(box.width), bh = std::uint64_t(box.height);
  if (w <= bw && h <= bh) return {int(w), int(h)};
  // Rounded to the nearest pixel along the side that does not fill the box.
  if (w * bh >= h * bw) return {box.width, int(std::max<std::uint64_t>(1, (2 * h * bw + w) / (2 * w)))};
  return {int(std::max<std::uint64_t>(1, (2 * w * bh + h) / (2 * h))), box.height};
}

template <int kBytes, bool kAlpha>
void ThumbnailMaker::AddRow(const std::uint8_t* row, std::uint64_t* sums) const {
  const std::uint64_t full = spans_.size();  // the weight of a whole pixel
  for (const Span& s : spans_) {
    std::uint64_t b = 0, g = 0, r = 0, a = 0;
    // The whole pixels between the two parts. Without alpha, up to 257 of
    // them are added two channels at a time, in 16 bits each: the sums of a
    // full-screen picture's columns cost a few milliseconds otherwise.
    const std::uint8_t* p = row + std::size_t(s.first + 1) * kBytes;
    const std::uint8_t* const end = row + std::size_t(s.last) * kBytes;
    if (!kAlpha && s.last - s.first <= 258) {
      std::uint32_t blueRed = 0, green = 0;
      for (; p < end; p += kBytes) {
        std::uint32_t v;
        std::memcpy(&v, p, 4);  // the 4th byte of a 3-byte pixel is the next one's, never past the row
        blueRed += v & 0x00FF00FF, green += (v >> 8) & 0xFF;
      }
      b = blueRed & 0xFFFF, g = green, r = blueRed >> 16;
    }
    for (; p < end; p += kBytes) {
      if (kAlpha) {
        b += std::uint32_t(p[0]) * p[3], g += std::uint32_t(p[1]) * p[3], r += std::uint32_t(p[2]) * p[3], a += p[3];
      } else {
        b += p[0], g += p[1], r += p[2];
      }
    }
    b *= full, g *= full, r *= full, a *= full;
    for (auto [index, weight] : {std::pair{s.first, s.firstWeight}, {s.last, s.lastWeight}}) {
      const std::uint8_t* p = row + std::size_t(index) * kBytes;
      const std::uint64_t alpha = kAlpha ? p[3] : 1;
      b += weight * p[0] * alpha, g += weight * p[1] * alpha, r += weight * p[2] * alpha, a += weight * alpha;
    }
    sums[0] += b, sums[1] += g, sums[2] += r, sums[3] += a;
    sums += 4;
  }
}

const std::uint8_t* ThumbnailMaker::RowAsBgra(const PngRows& rows, const std::uint8_t* row) {
  const unsigned bits = rows.bits;
  const unsigned perByte = 8 / bits, mask = (1u << bits) - 1;
  std::uint8_t* to = expanded_.data();
  for (std::uint32_t x = 0; x < rows.width; ++x, to += 4) {
    const unsigned shift = 8 - bits * (x % perByte + 1);
    const std::uint8_t* rgb = rows.palette.data() + 3 * ((row[x / perByte] >> shift) & mask);
    to[0] = rgb[2], to[1] = rgb[1], to[2] = rgb[0], to[3] = 255;
  }
  return expanded_.data();
}

ThumbnailView ThumbnailMaker::Make(const PngRows& rows, PixelSize box, std::uint32_t background) {
  const PixelSize size = FitInBox(rows.width, rows.height, box);
  if (size.width == 0) return {};
  const std::uint32_t sw = rows.width, sh = rows.height, w = std::uint32_t(size.width), h = std::uint32_t(size.height);

  spans_.resize(w);
  for (std::uint32_t x = 0; x < w; ++x) {
    const std::uint64_t start = std::uint64_t(x) * sw, end = start + sw;
    Span& s = spans_[x];
    s.first = std::uint32_t(start / w), s.last = std::uint32_t((end - 1) / w);
    if (s.first == s.last) {
      s.firstWeight = std::uint32_t(end - start), s.lastWeight = 0;
    } else {
      s.firstWeight = std::uint32_t((std::uint64_t(s.first) + 1) * w - start);
      s.lastWeight = std::uint32_t(end - std::uint64_t(s.last) * w);
    }
  }
  const std::size_t channels = std::size_t(w) * 4;
  rowSums_.assign(channels, 0), upper_.assign(channels, 0), lower_.assign(channels, 0);
  out_.resize(std::size_t(w) * h * 4);
  if (rows.bits <= 8) expanded_.resize(std::size_t(sw) * 4);

  const std::uint64_t total = std::uint64_t(sw) * sh;
  const std::uint64_t opaque = 255 * total;
  const std::uint32_t bg[3] = {background & 0xFF, (background >> 8) & 0xFF, (background >> 16) & 0xFF};
  std::uint8_t* out = out_.data();
  std::uint32_t y = 0;
  const std::uint8_t* row = rows.top;
  for (std::uint32_t j = 0; j < sh; ++j, row += rows.step) {
    std::fill(rowSums_.begin(), rowSums_.end(), 0);
    if (rows.bits <= 8) {
      AddRow<4, false>(RowAsBgra(rows, row), rowSums_.data());
    } else if (rows.bits == 24) {
      AddRow<3, false>(row, rowSums_.data());
    } else if (rows.alpha) {
      AddRow<4, true>(row, rowSums_.data());
    } else {
      AddRow<4, false>(row, rowSums_.data());
    }
    // Source row j covers [j * h, (j + 1) * h) in parts of 1/sh of a small
    // row; small row y covers [y * sh, (y + 1) * sh).
    const std::uint64_t from = std::uint64_t(j) * h, to = from + h, rowEnd = std::uint64_t(y + 1) * sh;
    const std::uint64_t above = std::min(to, rowEnd) - from, below = to > rowEnd ? to - rowEnd : 0;
    for (std::size_t c = 0; c < channels; ++c) upper_[c] += rowSums_[c] * above, lower_[c] += rowSums_[c] * below;
    if (to < rowEnd) continue;
    // Small row y is complete.
    for (std::uint32_t x = 0; x < w; ++x, out += 4) {
      const std::uint64_t* sum = &upper_[std::size_t(x) * 4];
      for (int c = 0; c < 3; ++c) {
        out[c] = rows.alpha ? std::uint8_t((sum[c] + bg[c] * (opaque - sum[3]) + opaque / 2) / opaque)
                            : std::uint8_t((sum[c] + total / 2) / total);
      }
      out[3] = 0;
    }
    std::swap(upper_, lower_);
    std::fill(lower_.begin(), lower_.end(), 0);
    ++y;
  }
  return {int(w), int(h), out_.data()};
}

}  // namespace pixkeeper
