// Writes the DIB fuzzer's seeds into the directory given: every test picture,
// small and at its usual size, and the V5 quirks, as DIBs and as BMP files.

#include <filesystem>
#include <fstream>

#include "image/Dib.h"
#include "support/TestPictures.h"

using namespace pixkeeper::testing;

int main(int, char** argv) {
  std::filesystem::create_directories(argv[1]);
  const auto write = [&](const std::string& name, std::vector<std::uint8_t> dib) {
    const auto header = pixkeeper::BmpFileHeader(pixkeeper::ParseDib(dib.data(), dib.size()));
    for (const char* kind : {".dib", ".bmp"}) {
      std::ofstream(argv[1] + ("/" + name) + kind, std::ios::binary)
          .write(reinterpret_cast<const char*>(dib.data()), static_cast<std::streamsize>(dib.size()));
      dib.insert(dib.begin(), header.begin(), header.end());
    }
  };
  for (const std::string& name : TestPictureNames()) {
    write(name, MakeTestPicture(name).dib), write(name + "-5x3", MakeTestPicture(name, 5, 3).dib);
  }
  write("v5masks", V5Picture(true, 0, 3, 2)), write("v5profile", V5Picture(false, 16, 3, 2));
}
