// Writes the DIB fuzzer's seeds: every test picture, small and at its usual
// size, as a packed DIB and as a BMP file, and the V5 quirks.
// Usage: MakeSeeds <directory>

#include <fstream>

#include "platform/Dib.h"
#include "support/TestPictures.h"

using namespace pixkeeper::testing;

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  bool ok = true;
  auto write = [&](const std::string& name, std::vector<std::uint8_t> dib) {
    const auto header = pixkeeper::BmpFileHeader(pixkeeper::ParseDib(dib.data(), dib.size()));
    for (const char* kind : {".dib", ".bmp"}) {
      std::ofstream out(std::string(argv[1]) + "/" + name + kind, std::ios::binary);
      if (kind[1] == 'b') out.write(reinterpret_cast<const char*>(header.data()), header.size());
      out.write(reinterpret_cast<const char*>(dib.data()), static_cast<std::streamsize>(dib.size()));
      ok = ok && out.good();
    }
  };
  for (const std::string& name : TestPictureNames()) {
    write(name, MakeTestPicture(name).dib);
    write(name + "-5x3", MakeTestPicture(name, 5, 3).dib);
  }
  write("v5masks", V5Picture(true, 0, 3, 2));
  write("v5profile", V5Picture(false, 16, 3, 2));
  return ok ? 0 : 1;
}
