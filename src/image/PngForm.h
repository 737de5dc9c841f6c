#pragma once
// The form a picture's pixels take in its PNG file. The smallest that holds
// every pixel exactly is chosen: a picture of at most 256 colours as palette
// indices (most windows and text), a grey one as grey levels, otherwise red,
// green and blue, with alpha where the picture uses it.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pixkeeper {

struct PngRows;

enum class PngColour : std::uint8_t { kGrey = 0, kRgb = 2, kPalette = 3, kGreyAlpha = 4, kRgba = 6 };

// The colours of a picture while there are at most 256, each with its index.
class ColourSet {
 public:
  ColourSet();
  // Adds a colour (as the picture holds it: blue lowest, alpha highest);
  // false once there would be more than 256.
  bool Add(std::uint32_t colour);
  // The index of a colour added before.
  std::uint8_t IndexOf(std::uint32_t colour) const;
  // Puts the colours that are not opaque first, so that their alphas make a short list.
  void OrderTranslucentFirst();
  const std::vector<std::uint32_t>& colours() const { return colours_; }

 private:
  std::size_t SlotOf(std::uint32_t colour) const;

  std::vector<std::uint32_t> keys_;
  std::vector<std::uint16_t> indices_;  // index + 1 of each slot's key, 0 for an empty slot
  std::vector<std::uint32_t> colours_;
};

struct PngForm {
  PngColour colour = PngColour::kRgb;
  unsigned depth = 8;              // bits of a channel or an index
  std::size_t rowBytes = 0;        // of a row in the file, before its filter byte
  std::size_t filterDistance = 0;  // bytes from one pixel to the next; 0: rows go unfiltered
  std::vector<std::uint8_t> palette;  // red, green, blue of each index
  std::vector<std::uint8_t> alphas;   // of the first indices; the rest are opaque
  ColourSet colours;                  // what a pixel's index is, for pictures made indexed here
  bool ownPalette = false;            // indices taken from the picture as they are
};

// Reads every pixel of the rows to choose their form.
PngForm ChoosePngForm(const PngRows& rows);

// One row of the picture (`from`, as PngRows holds it) as the file holds it.
void FormRow(const PngRows& rows, const PngForm& form, const std::uint8_t* from, std::uint8_t* to);

}  // namespace pixkeeper
