#include "support/TestPng.h"

#include <algorithm>

namespace pixkeeper::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

void PutBig(Bytes& out, std::uint32_t v) {
  for (int shift : {24, 16, 8, 0}) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

}  // namespace

Bytes MakePng(std::uint32_t width, std::uint32_t height, int colourType, const Bytes& idat) {
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, ihdr;
  auto chunk = [&](const char* type, const Bytes& data) {
    PutBig(png, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = png.size();
    png.insert(png.end(), type, type + 4), png.insert(png.end(), data.begin(), data.end());
    std::uint32_t crc = ~0u;
    for (std::size_t i = start; i < png.size(); ++i) {
      crc ^= png[i];
      for (int k = 0; k < 8; ++k) crc = crc >> 1 ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    PutBig(png, ~crc);
  };
  PutBig(ihdr, width), PutBig(ihdr, height);
  ihdr.insert(ihdr.end(), {8, static_cast<std::uint8_t>(colourType), 0, 0, 0});
  chunk("IHDR", ihdr), chunk("IDAT", idat), chunk("IEND", {});
  return png;
}

Bytes StoredZlib(const Bytes& raw) {
  Bytes z{0x78, 0x01};
  for (std::size_t at = 0; at < raw.size(); at += 65535) {
    const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
    for (std::size_t v : {std::size_t{at + n == raw.size()}, n, n >> 8, ~n, ~n >> 8}) {
      z.push_back(static_cast<std::uint8_t>(v));
    }
    z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(at), raw.begin() + static_cast<std::ptrdiff_t>(at + n));
  }
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t c : raw) a = (a + c) % 65521, b = (b + a) % 65521;
  PutBig(z, b << 16 | a);
  return z;
}

}  // namespace pixkeeper::testing
