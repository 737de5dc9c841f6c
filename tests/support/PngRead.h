#pragma once
// An independent reading of the PNG files the encoder writes, for the fuzz
// target and the size bench: the system's zlib inflates, the rest is undone
// here. Palette, grey, grey and alpha, RGB and RGBA at the depths the encoder
// writes; no interlacing.

#include <cstdint>
#include <vector>


namespace pixkeeper::testing {

struct ReadPng {
  std::uint32_t width = 0, height = 0;
  std::vector<std::uint8_t> rgba;  // four bytes a pixel, top row first; empty when unreadable
};

ReadPng ReadPngFile(const std::vector<std::uint8_t>& png);

}  // namespace pixkeeper::testing
