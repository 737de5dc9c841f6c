#include "SoakPictures.h"

#include <windows.h>

#include <cstring>
#include <random>

#include "support/TestPng.h"

namespace pixkeeper::soak {
namespace {

std::uint8_t Red(int i, int x, int) { return static_cast<std::uint8_t>(x + 3 * i); }
std::uint8_t Green(int i, int, int y) { return static_cast<std::uint8_t>(2 * y + 5 * i); }
std::uint8_t Blue(int i, int x, int y) { return static_cast<std::uint8_t>((x >> 2) ^ (y >> 1) ^ i); }

// The 8-bit pictures: palette entry k and the entry at (x, y).
RGBQUAD PaletteEntry(int i, int k) {
  return RGBQUAD{static_cast<BYTE>(255 - k), static_cast<BYTE>(k * 7 + i), static_cast<BYTE>(k), 0};
}
int PaletteIndex(int i, int x, int y) { return (x + y + i) & 255; }

int Bits(Kind kind) {
  switch (kind) {
    case Kind::kScreen32:
    case Kind::kMedium32:
      return 32;
    case Kind::kPalette8:
      return 8;
    default:
      return 24;
  }
}

}  // namespace

const char* KindName(Kind kind) {
  switch (kind) {
    case Kind::kScreen32: return "1920x1080x32 DIB";
    case Kind::kSmall24: return "small 24-bit DIB";
    case Kind::kPalette8: return "small 8-bit DIB";
    case Kind::kPngOnly: return "PNG only";
    case Kind::kBitmap: return "CF_BITMAP";
    case Kind::kMedium32: return "800x600x32 DIB";
    case Kind::kWithText: return "DIB + text";
  }
  return "?";
}

std::vector<Shot> Plan(int count, bool dibsOnly) {
  std::mt19937 random(20240611);
  std::vector<Shot> shots;
  for (int i = 0; i < count; ++i) {
    Shot shot;
    shot.index = i;
    const int roll = static_cast<int>(random() % 100);
    auto small = [&](int maxWidth, int maxHeight) {
      shot.width = 1 + static_cast<int>(random() % maxWidth);
      shot.height = 1 + static_cast<int>(random() % maxHeight);
    };
    if (roll < 8) {
      shot.kind = Kind::kScreen32, shot.width = 1920, shot.height = 1080;
    } else if (roll < 33) {
      shot.kind = Kind::kSmall24, small(400, 300), shot.topDown = random() % 4 == 0;
    } else if (roll < 53) {
      shot.kind = Kind::kPalette8, small(300, 200);
    } else if (roll < 71) {
      shot.kind = Kind::kPngOnly, small(640, 480);
    } else if (roll < 81) {
      shot.kind = Kind::kBitmap, small(320, 240);
    } else if (roll < 88) {
      shot.kind = Kind::kMedium32, shot.width = 800, shot.height = 600, shot.topDown = true;
    } else {
      shot.kind = Kind::kWithText, small(200, 100);
    }
    // Offered as DIBs only: the other forms become DIBs of their sizes.
    if (dibsOnly && (shot.kind == Kind::kPngOnly || shot.kind == Kind::kBitmap || shot.kind == Kind::kWithText)) {
      shot.kind = Kind::kSmall24;
    }
    shots.push_back(shot);
  }
  // The last one is kept, so that the end of the run can be seen.
  if (!shots.empty() && !shots.back().saved()) shots.back().kind = Kind::kSmall24;
  return shots;
}

Bytes ExpectedRgb(const Shot& shot) {
  Bytes rgb(static_cast<std::size_t>(shot.width) * shot.height * 3);
  std::uint8_t* p = rgb.data();
  for (int y = 0; y < shot.height; ++y) {
    for (int x = 0; x < shot.width; ++x, p += 3) {
      if (shot.kind == Kind::kPalette8) {
        const RGBQUAD q = PaletteEntry(shot.index, PaletteIndex(shot.index, x, y));
        p[0] = q.rgbRed, p[1] = q.rgbGreen, p[2] = q.rgbBlue;
      } else {
        p[0] = Red(shot.index, x, y), p[1] = Green(shot.index, x, y), p[2] = Blue(shot.index, x, y);
      }
    }
  }
  return rgb;
}

Bytes MakeDib(const Shot& shot) {
  const int bits = Bits(shot.kind);
  const std::size_t stride = (static_cast<std::size_t>(shot.width) * bits + 31) / 32 * 4;
  const int colours = bits == 8 ? 256 : 0;
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = shot.width;
  header.biHeight = shot.topDown ? -shot.height : shot.height;
  header.biPlanes = 1;
  header.biBitCount = static_cast<WORD>(bits);
  header.biCompression = BI_RGB;
  header.biSizeImage = static_cast<DWORD>(stride * shot.height);
  header.biClrUsed = static_cast<DWORD>(colours);
  Bytes dib(sizeof header + colours * sizeof(RGBQUAD) + header.biSizeImage);
  std::memcpy(dib.data(), &header, sizeof header);
  auto* palette = reinterpret_cast<RGBQUAD*>(dib.data() + sizeof header);
  for (int k = 0; k < colours; ++k) palette[k] = PaletteEntry(shot.index, k);
  std::uint8_t* pixels = dib.data() + sizeof header + colours * sizeof(RGBQUAD);
  for (int y = 0; y < shot.height; ++y) {
    std::uint8_t* row = pixels + stride * (shot.topDown ? y : shot.height - 1 - y);
    for (int x = 0; x < shot.width; ++x) {
      if (bits == 8) {
        row[x] = static_cast<std::uint8_t>(PaletteIndex(shot.index, x, y));
        continue;
      }
      std::uint8_t* p = row + x * (bits / 8);
      p[0] = Blue(shot.index, x, y), p[1] = Green(shot.index, x, y), p[2] = Red(shot.index, x, y);
      if (bits == 32) p[3] = 0;
    }
  }
  return dib;
}

Bytes MakeScreenDib(int width, int height, int seed) {
  Shot shot;
  shot.index = seed, shot.kind = Kind::kScreen32, shot.width = width, shot.height = height;
  return MakeDib(shot);
}

Bytes MakePngFile(const Shot& shot) {
  const Bytes rgb = ExpectedRgb(shot);
  const std::size_t row = static_cast<std::size_t>(shot.width) * 3;
  Bytes raw;
  raw.reserve((row + 1) * shot.height);
  for (int y = 0; y < shot.height; ++y) {
    raw.push_back(0);
    raw.insert(raw.end(), rgb.begin() + static_cast<std::ptrdiff_t>(row * y),
               rgb.begin() + static_cast<std::ptrdiff_t>(row * (y + 1)));
  }
  return pixkeeper::testing::MakePng(static_cast<std::uint32_t>(shot.width), static_cast<std::uint32_t>(shot.height),
                                     2, pixkeeper::testing::StoredZlib(raw));
}

Bytes DecodeBmp(const Bytes& file, int* width, int* height, int* bits, std::string* why) {
  auto fail = [&](const char* reason) {
    *why = reason;
    return Bytes{};
  };
  if (file.size() < 14 + 40 || file[0] != 'B' || file[1] != 'M') return fail("no BMP file header");
  BITMAPINFOHEADER header;
  std::memcpy(&header, file.data() + 14, sizeof header);
  DWORD offBits;
  std::memcpy(&offBits, file.data() + 10, 4);
  if (header.biSize < 40 || header.biWidth <= 0 || header.biHeight == 0) return fail("an unusual header");
  const int w = header.biWidth, h = header.biHeight < 0 ? -header.biHeight : header.biHeight;
  const int depth = header.biBitCount;
  if (depth != 8 && depth != 24 && depth != 32) return fail("a depth other than 8, 24 or 32");
  if (header.biCompression == BI_BITFIELDS && depth == 32) {
    DWORD masks[3];
    std::memcpy(masks, file.data() + 14 + 40, sizeof masks);
    if (masks[0] != 0xFF0000 || masks[1] != 0xFF00 || masks[2] != 0xFF) return fail("unusual bit fields");
  } else if (header.biCompression != BI_RGB) {
    return fail("compressed");
  }
  const std::size_t stride = (static_cast<std::size_t>(w) * depth + 31) / 32 * 4;
  if (offBits > file.size() || file.size() - offBits < stride * h) return fail("too short");
  const std::uint8_t* palette = file.data() + 14 + header.biSize;
  const int colours = depth == 8 ? (header.biClrUsed ? static_cast<int>(header.biClrUsed) : 256) : 0;
  Bytes rgb(static_cast<std::size_t>(w) * h * 3);
  std::uint8_t* out = rgb.data();
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* row = file.data() + offBits + stride * (header.biHeight < 0 ? y : h - 1 - y);
    for (int x = 0; x < w; ++x, out += 3) {
      const std::uint8_t* p;
      if (depth == 8) {
        if (row[x] >= colours) return fail("a palette index past the palette");
        p = palette + 4 * row[x];
      } else {
        p = row + x * (depth / 8);
      }
      out[0] = p[2], out[1] = p[1], out[2] = p[0];
    }
  }
  *width = w, *height = h, *bits = depth;
  return rgb;
}

}  // namespace pixkeeper::soak
