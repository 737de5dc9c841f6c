// png_sizes FILE.bgra WIDTH HEIGHT (natively, for `make bench`)
// Encodes a picture given as raw blue, green, red, alpha bytes (top row
// first) with the program's encoder and, beside it, as the usual encoders
// write it: red, green, blue (and alpha when used), each row filtered with
// whichever of the five filters weighs least, at zlib's level 6. Prints the
// encoder's size, zlib's size, the encoder's milliseconds (wall clock, then
// processor time of both threads) and whether the
// file reads back to the same pixels.
#include <sys/resource.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "image/PngFilters.h"
#include "image/PngWriter.h"
#include "support/PngRead.h"

using namespace pixkeeper;
using Bytes = std::vector<std::uint8_t>;

namespace {

// Processor time of every thread so far, in milliseconds: wall time is worth
// little on a machine busy with other work.
double CpuMs() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
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
    FilterRow(row.data(), above.data(), bytes, pixel, filtered.data() + filtered.size() - bytes - 1);
    row.swap(above);
  }
  uLongf size = compressBound(static_cast<uLong>(filtered.size()));
  Bytes out(size);
  compress2(out.data(), &size, filtered.data(), static_cast<uLong>(filtered.size()), 6);
  // Signature, IHDR and IEND, and the IDAT's length, type and check sum around the stream.
  return 8 + 25 + 12 + 12 + size;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: png_sizes FILE.bgra WIDTH HEIGHT\n");
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
  const double cpuStart = CpuMs();
  const Bytes png = EncodePng(rows);
  const double cpu = CpuMs() - cpuStart;
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  const testing::ReadPng read = testing::ReadPngFile(png);
  bool same = read.rgba.size() == bgra.size();
  for (std::size_t i = 0; same && i < bgra.size(); i += 4) {
    same = read.rgba[i] == bgra[i + 2] && read.rgba[i + 1] == bgra[i + 1] && read.rgba[i + 2] == bgra[i] &&
           read.rgba[i + 3] == (rows.alpha ? bgra[i + 3] : 255);
  }
  std::printf("%zu %zu %.1f %.1f %s colour-type-%u\n", png.size(), Zlib6Size(rows), ms, cpu, same ? "same" : "DIFFERENT",
              static_cast<unsigned>(png[25]));
  return same ? 0 : 1;
}
