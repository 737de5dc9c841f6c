// png_times photo|flat|FILE.bgra WIDTH HEIGHT [ROUNDS] (natively)
// Times the PNG encoder alone on the capture bench's photo-like or
// screenshot-like picture (the very pixels it puts on the clipboard), or on a
// raw picture of blue, green, red, alpha bytes (top row first). Codes it
// ROUNDS times (9) and prints the file's size, then the best wall time and
// the best processor time of both threads, in milliseconds: the best of
// several rounds is the figure least moved by other work on the machine.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "BenchPixels.h"
#include "ProcessorTime.h"
#include "image/PngWriter.h"

using namespace pixkeeper;

int main(int argc, char** argv) {
  if (argc != 4 && argc != 5) {
    std::fprintf(stderr, "usage: png_times photo|flat|FILE.bgra WIDTH HEIGHT [ROUNDS]\n");
    return 2;
  }
  const int width = std::atoi(argv[2]), height = std::atoi(argv[3]), rounds = argc == 5 ? std::atoi(argv[4]) : 9;
  const bool bench = std::strcmp(argv[1], "photo") == 0 || std::strcmp(argv[1], "flat") == 0;
  std::vector<std::uint8_t> pixels;
  if (bench) {
    pixels = bench::BenchPixels(width, height, std::strcmp(argv[1], "flat") == 0);
  } else {
    std::ifstream file(argv[1], std::ios::binary);
    pixels.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }
  if (width <= 0 || height <= 0 || pixels.size() != std::size_t(width) * height * 4) {
    std::fprintf(stderr, "png_times: %s does not hold %s x %s pixels\n", argv[1], argv[2], argv[3]);
    return 2;
  }
  PngRows rows;
  rows.width = static_cast<std::uint32_t>(width);
  rows.height = static_cast<std::uint32_t>(height);
  rows.bits = 32;
  const std::ptrdiff_t stride = std::ptrdiff_t{width} * 4;
  // The bench's pictures are bottom-up, as the clipboard's bitmaps are.
  rows.top = bench ? pixels.data() + (height - 1) * stride : pixels.data();
  rows.step = bench ? -stride : stride;
  for (std::size_t i = 3; !bench && i < pixels.size() && !rows.alpha; i += 4) rows.alpha = pixels[i] != 255;

  PreparePngEncoder();
  std::size_t size = 0;
  double bestMs = 1e9, bestCpu = 1e9;
  for (int round = 0; round < rounds; ++round) {
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = bench::ProcessorMs();
    size = EncodePng(rows).size();
    bestCpu = std::min(bestCpu, bench::ProcessorMs() - cpuStart);
    bestMs = std::min(bestMs, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::printf("%zu %.1f %.1f\n", size, bestMs, bestCpu);
  return 0;
}
