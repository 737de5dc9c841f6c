// png_sizes FILE.bgra WIDTH HEIGHT [OUT.png] (natively, for `make bench`)
// Encodes a picture given as raw blue, green, red, alpha bytes (top row
// first) with the program's encoder and, beside it, as the usual encoders
// write it: red, green, blue (and alpha when used), each row filtered with
// whichever of the five filters weighs least, at zlib's level 6. Prints the
// encoder's size, zlib's size, the size of the encoder's file with its own
// filtered rows deflated by zlib at level 9 (where the encoder's matching
// falls behind, this shows it), the encoder's milliseconds (wall clock, then
// processor time of both threads) and whether the file reads back to the
// same pixels. Writes the file to OUT.png when given.
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "ProcessorTime.h"
#include "image/PngWriter.h"
#include "support/PngRead.h"

using namespace pixkeeper;
using Bytes = std::vector<std::uint8_t>;

namespace {

// As the usual encoders choose a row's filter: of the five, the one whose
// bytes, read as signed numbers, lie closest to zero in sum over the whole
// row. Kept apart from the encoder's own choice, which may change.
void UsualFilter(const std::uint8_t* row, const std::uint8_t* above, std::size_t bytes, std::size_t pixel,
                 std::uint8_t* to) {
  const auto paeth = [](int a, int b, int c) {
    const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
  };
  const auto filtered = [&](int f, std::size_t i) {
    const int x = row[i], a = i >= pixel ? row[i - pixel] : 0, b = above[i], c = i >= pixel ? above[i - pixel] : 0;
    const int predicted = f == 0 ? 0 : f == 1 ? a : f == 2 ? b : f == 3 ? (a + b) / 2 : paeth(a, b, c);
    return static_cast<std::uint8_t>(x - predicted);
  };
  int best = 0;
  long bestSum = -1;
  for (int f = 0; f < 5; ++f) {
    long sum = 0;
    for (std::size_t i = 0; i < bytes; ++i) sum += std::abs(static_cast<int>(static_cast<std::int8_t>(filtered(f, i))));
    if (bestSum < 0 || sum < bestSum) best = f, bestSum = sum;
  }
  to[0] = static_cast<std::uint8_t>(best);
  for (std::size_t i = 0; i < bytes; ++i) to[i + 1] = filtered(best, i);
}

std::size_t Zlib6Size(const PngRows& rows) {
  const std::size_t pixel = rows.alpha ? 4 : 3, bytes = rows.width * pixel;
  Bytes filtered, row(bytes), above(bytes, 0);
  for (std::uint32_t y = 0; y < rows.height; ++y) {
    const std::uint8_t* from = rows.top + static_cast<std::ptrdiff_t>(y) * rows.step;
    for (std::size_t x = 0; x < rows.width; ++x, from += 4) {
      std::uint8_t* to = row.data() + x * pixel;
      to[0] = from[2], to[1] = from[1], to[2] = from[0];
      if (rows.alpha) to[3] = from[3];
    }
    filtered.resize(filtered.size() + bytes + 1);
    UsualFilter(row.data(), above.data(), bytes, pixel, filtered.data() + filtered.size() - bytes - 1);
    row.swap(above);
  }
  uLongf size = compressBound(static_cast<uLong>(filtered.size()));
  Bytes out(size);
  compress2(out.data(), &size, filtered.data(), static_cast<uLong>(filtered.size()), 6);
  // Signature, IHDR and IEND, and the IDAT's length, type and check sum around the stream.
  return 8 + 25 + 12 + 12 + size;
}

// The file's size with its IDAT data, inflated, deflated again at zlib's level 9.
std::size_t OwnRowsZlib9Size(const Bytes& png) {
  Bytes idat;
  std::size_t others = 0;
  for (std::size_t at = 8; at + 12 <= png.size();) {
    const std::size_t length = std::size_t{png[at]} << 24 | std::size_t{png[at + 1]} << 16 | png[at + 2] << 8 | png[at + 3];
    if (std::equal(png.begin() + at + 4, png.begin() + at + 8, "IDAT")) {
      idat.insert(idat.end(), png.begin() + at + 8, png.begin() + at + 8 + length);
    } else {
      others += 12 + length;
    }
    at += 12 + length;
  }
  z_stream in{};
  inflateInit(&in);
  Bytes rows, piece(1 << 20);
  in.next_in = idat.data();
  in.avail_in = static_cast<uInt>(idat.size());
  int result = Z_OK;
  while (result == Z_OK) {
    in.next_out = piece.data();
    in.avail_out = static_cast<uInt>(piece.size());
    result = inflate(&in, Z_NO_FLUSH);
    rows.insert(rows.end(), piece.data(), in.next_out);
  }
  inflateEnd(&in);
  uLongf size = compressBound(static_cast<uLong>(rows.size()));
  Bytes out(size);
  compress2(out.data(), &size, rows.data(), static_cast<uLong>(rows.size()), 9);
  return 8 + others + 12 + size;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 && argc != 5) {
    std::fprintf(stderr, "usage: png_sizes FILE.bgra WIDTH HEIGHT [OUT.png]\n");
    return 2;
  }
  std::ifstream file(argv[1], std::ios::binary);
  const Bytes bgra((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  PngRows rows;
  rows.width = static_cast<std::uint32_t>(std::atoi(argv[2]));
  rows.height = static_cast<std::uint32_t>(std::atoi(argv[3]));
  if (bgra.size() != std::size_t{rows.width} * rows.height * 4 || bgra.empty()) {
    std::fprintf(stderr, "png_sizes: %s does not hold %s x %s pixels\n", argv[1], argv[2], argv[3]);
    return 2;
  }
  rows.bits = 32;
  rows.top = bgra.data();
  rows.step = static_cast<std::ptrdiff_t>(rows.width) * 4;
  for (std::size_t i = 3; i < bgra.size() && !rows.alpha; i += 4) rows.alpha = bgra[i] != 255;

  const auto start = std::chrono::steady_clock::now();
  const double cpuStart = bench::ProcessorMs();
  const Bytes png = EncodePng(rows);
  const double cpu = bench::ProcessorMs() - cpuStart;
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  if (argc == 5) std::ofstream(argv[4], std::ios::binary).write(reinterpret_cast<const char*>(png.data()), png.size());
  const testing::ReadPng read = testing::ReadPngFile(png);
  bool same = read.rgba.size() == bgra.size();
  for (std::size_t i = 0; same && i < bgra.size(); i += 4) {
    same = read.rgba[i] == bgra[i + 2] && read.rgba[i + 1] == bgra[i + 1] && read.rgba[i + 2] == bgra[i] &&
           read.rgba[i + 3] == (rows.alpha ? bgra[i + 3] : 255);
  }
  std::printf("%zu %zu %zu %.1f %.1f %s colour-type-%u\n", png.size(), Zlib6Size(rows), OwnRowsZlib9Size(png), ms, cpu,
              same ? "same" : "DIFFERENT",
              static_cast<unsigned>(png[25]));
  return same ? 0 : 1;
}
