// Writes the DIB fuzzer's seeds into the directory given: every test picture,
// small and at its usual size, and the V5 quirks, as DIBs and as BMP files.

#include <fstream>

#include "platform/Dib.h"
#include "support/TestPictures.h"

using namespace pixkeeper::testing;

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  bool ok = true;
  const auto write = [&](const std::string& name, const std::vector<std::uint8_t>& dib) {
    const auto header = pixkeeper::BmpFileHeader(pixkeeper::ParseDib(dib.data(), dib.size()));
    const std::string path = std::string(argv[1]) + "/" + name;
    std::ofstream out(path + ".dib", std::ios::binary), file(path + ".bmp", std::ios::binary);
    out.write(reinterpret_cast<const char*>(dib.data()), static_cast<std::streamsize>(dib.size()));
    file.write(reinterpret_cast<const char*>(header.data()), header.size());
    file.write(reinterpret_cast<const char*>(dib.data()), static_cast<std::streamsize>(dib.size()));
    ok = ok && out && file;
  };
  for (const std::string& name : TestPictureNames()) {
    write(name, MakeTestPicture(name).dib);
    write(name + "-5x3", MakeTestPicture(name, 5, 3).dib);
  }
  write("v5masks", V5Picture(true, 0, 3, 2));
  write("v5profile", V5Picture(false, 16, 3, 2));
  return ok ? 0 : 1;
}
