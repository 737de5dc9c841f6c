#include "support/PngRead.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace pixkeeper::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t Big32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

int Predict(int filter, int a, int b, int c) {
  switch (filter) {
    case 1: return a;
    case 2: return b;
    case 3: return (a + b) / 2;
    case 4: {
      const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
      return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
    }
    default: return 0;
  }
}

}  // namespace

ReadPng ReadPngFile(const Bytes& png) {
  ReadPng out;
  if (png.size() < 8 + 25 || std::memcmp(png.data() + 12, "IHDR", 4) != 0) return out;
  Bytes idat, palette(3 * 256, 0), alphas(256, 255);
  unsigned depth = 0, colour = 0;
  for (std::size_t at = 8; at + 12 <= png.size();) {
    const std::uint32_t length = Big32(png.data() + at);
    if (length > png.size() - at - 12) return out;
    const std::uint8_t* type = png.data() + at + 4;
    const std::uint8_t* data = type + 4;
    if (crc32(0, type, length + 4) != Big32(data + length)) return out;
    const std::string name(reinterpret_cast<const char*>(type), 4);
    if (name == "IHDR") out.width = Big32(data), out.height = Big32(data + 4), depth = data[8], colour = data[9];
    if (name == "PLTE") std::memcpy(palette.data(), data, std::min<std::size_t>(length, palette.size()));
    if (name == "tRNS") std::memcpy(alphas.data(), data, std::min<std::size_t>(length, alphas.size()));
    if (name == "IDAT") idat.insert(idat.end(), data, data + length);
    at += 12 + std::size_t{length};
  }
  const unsigned channels = colour == 0 || colour == 3 ? 1 : colour == 4 ? 2 : colour == 2 ? 3 : 4;
  const std::size_t bits = std::size_t{depth} * channels, rowBytes = (out.width * bits + 7) / 8;
  const std::size_t pixel = bits < 8 ? 1 : bits / 8;
  Bytes raw((rowBytes + 1) * out.height);
  uLongf rawSize = static_cast<uLongf>(raw.size());
  if (uncompress(raw.data(), &rawSize, idat.data(), static_cast<uLong>(idat.size())) != Z_OK || rawSize != raw.size()) {
    return out;
  }
  Bytes above(rowBytes, 0), row(rowBytes);
  Bytes rgba;
  rgba.reserve(std::size_t{out.width} * out.height * 4);
  for (std::uint32_t y = 0; y < out.height; ++y) {
    const std::uint8_t* in = raw.data() + y * (rowBytes + 1);
    if (in[0] > 4) return out;
    for (std::size_t i = 0; i < rowBytes; ++i) {
      const int a = i >= pixel ? row[i - pixel] : 0, c = i >= pixel ? above[i - pixel] : 0;
      row[i] = static_cast<std::uint8_t>(in[1 + i] + Predict(in[0], a, above[i], c));
    }
    for (std::uint32_t x = 0; x < out.width; ++x) {
      const std::uint8_t* p = row.data() + x * pixel;
      if (colour == 3) {
        const unsigned index = depth == 8 ? p[0] : (row[x * depth / 8] >> (8 - depth - x * depth % 8)) & ((1u << depth) - 1);
        rgba.insert(rgba.end(), {palette[3 * index], palette[3 * index + 1], palette[3 * index + 2], alphas[index]});
      } else if (channels <= 2) {
        rgba.insert(rgba.end(), {p[0], p[0], p[0], channels == 2 ? p[1] : std::uint8_t{255}});
      } else {
        rgba.insert(rgba.end(), {p[0], p[1], p[2], channels == 4 ? p[3] : std::uint8_t{255}});
      }
    }
    row.swap(above);
  }
  out.rgba = std::move(rgba);
  return out;
}

}  // namespace pixkeeper::testing
