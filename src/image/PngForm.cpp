#include "image/PngForm.h"

#include <algorithm>
#include <cstring>

#include "image/CpuFeatures.h"
#include "image/PngFormSsse3.h"
#include "image/PngWriter.h"

namespace pixkeeper {
namespace {

constexpr std::size_t kSlots = 1024;  // four for each colour, so that lookups rarely go past the first
constexpr std::size_t kMostColours = 256;
constexpr std::uint32_t kOpaque = 0xFF000000u;

// A pixel of 24 or 32 bits as one number: blue lowest, alpha highest
// (opaque where the picture has no alpha).
inline std::uint32_t PixelAt(const PngRows& rows, const std::uint8_t* p) {
  if (rows.bits == 24) return p[0] | p[1] << 8 | static_cast<std::uint32_t>(p[2]) << 16 | kOpaque;
  const std::uint32_t v = p[0] | p[1] << 8 | static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
  return rows.alpha ? v : v | kOpaque;
}

inline bool IsGrey(std::uint32_t pixel) { return ((pixel ^ pixel >> 8) & 0xFFFF) == 0; }

unsigned IndexDepth(std::size_t colours) {
  return colours <= 2 ? 1 : colours <= 4 ? 2 : colours <= 16 ? 4 : 8;
}

}  // namespace

ColourSet::ColourSet() : keys_(kSlots), indices_(kSlots, 0) { colours_.reserve(kMostColours); }

std::size_t ColourSet::SlotOf(std::uint32_t colour) const {
  std::size_t slot = static_cast<std::size_t>((std::uint64_t{colour} * 0x9E3779B1u) >> 22) % kSlots;
  while (indices_[slot] != 0 && keys_[slot] != colour) slot = (slot + 1) % kSlots;
  return slot;
}

bool ColourSet::Add(std::uint32_t colour) {
  const std::size_t slot = SlotOf(colour);
  if (indices_[slot] != 0) return true;
  if (colours_.size() == kMostColours) return false;
  keys_[slot] = colour;
  colours_.push_back(colour);
  indices_[slot] = static_cast<std::uint16_t>(colours_.size());
  return true;
}

std::uint8_t ColourSet::IndexOf(std::uint32_t colour) const {
  return static_cast<std::uint8_t>(indices_[SlotOf(colour)] - 1);
}

void ColourSet::OrderTranslucentFirst() {
  std::stable_partition(colours_.begin(), colours_.end(), [](std::uint32_t c) { return c < kOpaque; });
  for (std::size_t i = 0; i < colours_.size(); ++i) indices_[SlotOf(colours_[i])] = static_cast<std::uint16_t>(i + 1);
}

PngForm ChoosePngForm(const PngRows& rows) {
  PngForm form;
  const std::size_t width = rows.width;
  if (rows.bits <= 8) {
    form.colour = PngColour::kPalette;
    form.depth = rows.bits;
    form.ownPalette = true;
    form.palette = rows.palette;
    form.rowBytes = (width * rows.bits + 7) / 8;
    return form;
  }
  // One pass over the pixels, given up as soon as neither a palette nor grey can hold them.
  bool few = true, grey = true;
  const std::size_t in = rows.bits / 8;
  const std::uint8_t* row = rows.top;
  std::uint32_t last = PixelAt(rows, row) ^ 1;
  for (std::uint32_t y = 0; y < rows.height && (few || grey); ++y, row += rows.step) {
    const std::uint8_t* p = row;
    for (std::size_t x = 0; x < width; ++x, p += in) {
      const std::uint32_t pixel = PixelAt(rows, p);
      if (pixel == last) continue;
      last = pixel;
      grey = grey && IsGrey(pixel);
      few = few && form.colours.Add(pixel);
      if (!few && !grey) break;
    }
  }
  const std::size_t count = form.colours.colours().size();
  if (few && !(grey && !rows.alpha && count > 16)) {
    form.colour = PngColour::kPalette;
    form.depth = IndexDepth(count);
    form.rowBytes = (width * form.depth + 7) / 8;
    form.colours.OrderTranslucentFirst();
    for (const std::uint32_t c : form.colours.colours()) {
      form.palette.insert(form.palette.end(), {static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
                                               static_cast<std::uint8_t>(c)});
      if (c < kOpaque) form.alphas.push_back(static_cast<std::uint8_t>(c >> 24));
    }
    return form;
  }
  const std::size_t pixel = grey ? (rows.alpha ? 2 : 1) : (rows.alpha ? 4 : 3);
  form.colour = grey ? (rows.alpha ? PngColour::kGreyAlpha : PngColour::kGrey)
                     : (rows.alpha ? PngColour::kRgba : PngColour::kRgb);
  form.rowBytes = width * pixel;
  form.filterDistance = pixel;
  return form;
}

void FormRow(const PngRows& rows, const PngForm& form, const std::uint8_t* from, std::uint8_t* to) {
  const std::size_t width = rows.width, in = rows.bits / 8;
  const bool shuffles = PngFormSsse3Built() && CpuHasSsse3();
  switch (form.colour) {
    case PngColour::kPalette: {
      if (form.ownPalette) {
        std::memcpy(to, from, form.rowBytes);
        return;
      }
      // Indices packed from the highest bit; the last pixel's index is kept, as neighbours are mostly alike.
      std::uint32_t last = PixelAt(rows, from) ^ 1;
      unsigned index = 0, bits = 0, filled = 0;
      for (std::size_t x = 0; x < width; ++x, from += in) {
        const std::uint32_t pixel = PixelAt(rows, from);
        if (pixel != last) last = pixel, index = form.colours.IndexOf(pixel);
        bits = bits << form.depth | index;
        filled += form.depth;
        if (filled == 8) *to++ = static_cast<std::uint8_t>(bits), bits = 0, filled = 0;
      }
      if (filled != 0) *to = static_cast<std::uint8_t>(bits << (8 - filled));
      return;
    }
    case PngColour::kGrey:
      for (std::size_t x = 0; x < width; ++x, from += in) to[x] = from[0];
      return;
    case PngColour::kGreyAlpha:
      for (std::size_t x = 0; x < width; ++x, from += in, to += 2) to[0] = from[0], to[1] = from[3];
      return;
    case PngColour::kRgb: {
      const std::size_t done = shuffles ? FormRgbSsse3(from, width, static_cast<unsigned>(in), to) : 0;
      from += done * in, to += done * 3;
      for (std::size_t x = done; x < width; ++x, from += in, to += 3) to[0] = from[2], to[1] = from[1], to[2] = from[0];
      return;
    }
    case PngColour::kRgba: {
      const std::size_t done = shuffles ? FormRgbaSsse3(from, width, to) : 0;
      from += done * in, to += done * 4;
      for (std::size_t x = done; x < width; ++x, from += in, to += 4) {
        to[0] = from[2], to[1] = from[1], to[2] = from[0], to[3] = from[3];
      }
      return;
    }
  }
}

}  // namespace pixkeeper
