// Writes the seed inputs of the DIB fuzzer: every test picture as a packed
// DIB and as a BMP file, small and at its usual size, and the quirks that
// other programs produce. Usage: MakeSeeds <directory>

#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "platform/Dib.h"
#include "support/TestPictures.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Set32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF);
}

bool Write(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

Bytes FileOf(const Bytes& dib) {
  const auto l = pixkeeper::ParseDib(dib.data(), dib.size());
  const auto header = pixkeeper::BmpFileHeader(l);
  Bytes file(header.begin(), header.end());
  file.insert(file.end(), dib.begin(), dib.end());
  return file;
}

// A V5 header with BI_BITFIELDS and the masks repeated after it.
Bytes V5MasksAfterHeader() {
  Bytes b = pixkeeper::testing::MakeTestPicture("v4bitfields32", 3, 2).dib;
  Set32(b, 0, 124);
  b.insert(b.begin() + 108, 16, 0);
  const Bytes masks(b.begin() + 40, b.begin() + 52);
  b.insert(b.begin() + 124, masks.begin(), masks.end());
  return b;
}

// A V5 picture with a small embedded profile after its pixels.
Bytes V5Profile() {
  Bytes b = pixkeeper::testing::MakeTestPicture("v5rgb24", 3, 2).dib;
  Set32(b, 56, 0x4D424544);  // 'MBED'
  Set32(b, 112, static_cast<std::uint32_t>(b.size()));
  Set32(b, 116, 16);
  b.insert(b.end(), 16, 0x42);
  return b;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: MakeSeeds <directory>\n";
    return 2;
  }
  const std::string dir = argv[1];
  bool ok = true;
  for (const std::string& name : pixkeeper::testing::TestPictureNames()) {
    const Bytes small = pixkeeper::testing::MakeTestPicture(name, 5, 3).dib;
    const Bytes usual = pixkeeper::testing::MakeTestPicture(name).dib;
    ok = Write(dir + "/" + name + "-5x3.dib", small) && ok;
    ok = Write(dir + "/" + name + ".dib", usual) && ok;
    ok = Write(dir + "/" + name + "-5x3.bmp", FileOf(small)) && ok;
  }
  ok = Write(dir + "/v5masks.dib", V5MasksAfterHeader()) && ok;
  ok = Write(dir + "/v5profile.dib", V5Profile()) && ok;
  ok = Write(dir + "/v5profile.bmp", FileOf(V5Profile())) && ok;
  if (!ok) std::cerr << "MakeSeeds: cannot write to " << dir << "\n";
  return ok ? 0 : 1;
}
