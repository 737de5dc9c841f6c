#include "image/Dib.h"

#include <algorithm>
#include <cstring>

#include "base/RuntimeError.h"

namespace pixkeeper {
namespace {

constexpr std::uint32_t kCoreHeader = 12;
constexpr std::uint32_t kInfoHeader = 40;
constexpr std::uint32_t kV2Header = 52;   // with the three colour masks
constexpr std::uint32_t kV3Header = 56;   // with the alpha mask too
constexpr std::uint32_t kV4Header = 108;
constexpr std::uint32_t kV5Header = 124;

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;

constexpr std::uint32_t kProfileEmbedded = 0x4D424544;  // 'MBED'
constexpr std::uint32_t kProfileLinked = 0x4C494E4B;    // 'LINK'

// Offsets inside the headers.
constexpr std::size_t kMasksInHeader = 40;
constexpr std::size_t kAlphaMask = 52;
constexpr std::size_t kColourSpaceType = 56;
constexpr std::size_t kProfileData = 112;
constexpr std::size_t kProfileSize = 116;

constexpr std::size_t kMaskBytes = 12;  // red, green and blue DWORD masks

// Larger pictures than this do not come from any real program.
constexpr std::int64_t kMaxDimension = std::int64_t{1} << 24;
// A BMP file records its size in 32 bits.
constexpr std::uint64_t kMaxTotalSize = 0xFFFFFFFFu - kBmpFileHeaderSize;

[[noreturn]] void Invalid() { throw RuntimeError(error::kInvalidPicture); }

std::uint16_t U16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void Put32(std::uint8_t* p, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
}

bool IsKnownHeaderSize(std::uint32_t size) {
  return size == kCoreHeader || size == kInfoHeader || size == kV2Header ||
         size == kV3Header || size == kV4Header || size == kV5Header;
}

// What the header alone says, before the sizes are matched with the data.
struct Header {
  DibLayout layout;
  std::uint64_t tableEnd = 0;     // header, masks after it, colour table
  bool profile = false;           // a V5 header with an embedded or linked profile
  std::uint64_t profileOffset = 0;  // from the start of the header
  std::uint64_t profileSize = 0;
};

std::uint64_t UncompressedSize(std::int64_t width, std::int64_t height, unsigned bitCount) {
  const std::uint64_t stride =
      (static_cast<std::uint64_t>(width) * bitCount + 31) / 32 * 4;
  return stride * static_cast<std::uint64_t>(height);
}

// Reads and checks the header in [data, data + size); the pixels are not
// looked for yet.
Header ReadHeader(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size < 4) Invalid();
  Header h;
  DibLayout& l = h.layout;
  l.headerSize = U32(data);
  if (!IsKnownHeaderSize(l.headerSize) || size < l.headerSize) Invalid();

  std::int64_t width = 0;
  std::int64_t height = 0;  // as stored
  std::uint32_t clrUsed = 0;
  std::uint32_t sizeImage = 0;
  std::uint64_t entrySize = 4;
  if (l.headerSize == kCoreHeader) {
    width = U16(data + 4);
    height = U16(data + 6);
    l.bitCount = U16(data + 10);
    l.compression = kBiRgb;
    entrySize = 3;
    if (l.bitCount != 1 && l.bitCount != 4 && l.bitCount != 8 && l.bitCount != 24) Invalid();
  } else {
    width = static_cast<std::int32_t>(U32(data + 4));
    height = static_cast<std::int32_t>(U32(data + 8));
    l.bitCount = U16(data + 14);
    l.compression = U32(data + 16);
    sizeImage = U32(data + 20);
    clrUsed = U32(data + 32);
    if (l.headerSize >= kV3Header) l.alphaMask = U32(data + kAlphaMask);
  }
  // The planes field is ignored: it has no bearing on the layout, and
  // pictures with a careless value there are still good pictures.

  const std::int64_t rows = height < 0 ? -height : height;
  if (width <= 0 || width > kMaxDimension || rows == 0 || rows > kMaxDimension) Invalid();
  l.width = static_cast<std::int32_t>(width);
  l.height = static_cast<std::int32_t>(height);

  const unsigned bpp = l.bitCount;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) Invalid();

  std::uint64_t maskBytes = 0;
  switch (l.compression) {
    case kBiRgb:
      break;
    case kBiRle8:
    case kBiRle4:
      if (bpp != (l.compression == kBiRle8 ? 8u : 4u)) Invalid();
      // Compressed rows are stored bottom-up only, and only the header says
      // how many bytes they take.
      if (height < 0 || sizeImage == 0) Invalid();
      break;
    case kBiBitfields:
      if (bpp != 16 && bpp != 32) Invalid();
      if (l.headerSize == kInfoHeader) maskBytes = kMaskBytes;
      break;
    default:
      Invalid();  // JPEG, PNG, CMYK and whatever else is not a plain bitmap
  }

  std::uint64_t entries = clrUsed;
  if (bpp <= 8) {
    const std::uint64_t most = std::uint64_t{1} << bpp;
    if (entries == 0) entries = most;
    if (entries > most) Invalid();
  }
  l.colorCount = static_cast<std::uint32_t>(entries);
  h.tableEnd = l.headerSize + maskBytes + entries * entrySize;

  // Every size that a BMP file records is 32 bits; anything beyond cannot be
  // written, and the data could never hold it anyway. Compressed pictures
  // too must fit in that when unpacked, or no viewer could show them.
  const std::uint64_t unpacked = UncompressedSize(width, rows, bpp);
  const bool compressed = l.compression == kBiRle8 || l.compression == kBiRle4;
  const std::uint64_t image = compressed ? sizeImage : unpacked;
  if (unpacked > kMaxTotalSize || image > kMaxTotalSize || h.tableEnd > kMaxTotalSize) {
    Invalid();
  }
  l.imageSize = static_cast<std::size_t>(image);

  if (l.headerSize == kV5Header) {
    const std::uint32_t csType = U32(data + kColourSpaceType);
    if (csType == kProfileEmbedded || csType == kProfileLinked) {
      h.profile = true;
      h.profileOffset = U32(data + kProfileData);
      h.profileSize = U32(data + kProfileSize);
    }
  }
  return h;
}

// Some programs put three masks after a V4 or V5 header as well, though the
// header holds them. The sizes tell: the data then has exactly the room for
// them, or the bytes after the header repeat the header's masks.
bool HasMasksAfterHeader(const Header& h, const std::uint8_t* data, std::uint64_t end) {
  const DibLayout& l = h.layout;
  if (l.compression != kBiBitfields || l.headerSize == kInfoHeader) return false;
  const std::uint64_t packedEnd = h.tableEnd + l.imageSize;
  if (end < packedEnd + kMaskBytes) return false;
  if (end == packedEnd + kMaskBytes) return true;
  return std::memcmp(data + l.headerSize, data + kMasksInHeader, kMaskBytes) == 0;
}

// Matches the header with the data: the pixels follow the colour table, a
// profile lies past the header within the data.
DibLayout Complete(Header h, const std::uint8_t* data, std::size_t size) {
  DibLayout& l = h.layout;
  const std::uint64_t available = size;
  std::uint64_t pixelOffset = h.tableEnd;
  if (pixelOffset > available) Invalid();

  std::uint64_t profileEnd = 0;
  if (h.profile) {
    profileEnd = h.profileOffset + h.profileSize;
    if (profileEnd > available) Invalid();
  }

  // Where the bytes after the pixels end: at a profile that follows them,
  // else at the end of the data.
  std::uint64_t end = available;
  if (h.profile && h.profileOffset >= pixelOffset + l.imageSize) end = h.profileOffset;
  if (HasMasksAfterHeader(h, data, end)) pixelOffset += kMaskBytes;

  const std::uint64_t pixelEnd = pixelOffset + l.imageSize;
  if (pixelEnd > available) Invalid();
  // In a packed DIB the profile follows the pixels.
  if (h.profile && h.profileOffset < pixelEnd) Invalid();

  const std::uint64_t total = std::max(pixelEnd, profileEnd);
  if (total > kMaxTotalSize) Invalid();
  l.pixelOffset = static_cast<std::size_t>(pixelOffset);
  l.totalSize = static_cast<std::size_t>(total);
  return l;
}

}  // namespace

DibLayout ParseDib(const std::uint8_t* data, std::size_t size) {
  return Complete(ReadHeader(data, size), data, size);
}

std::array<std::uint8_t, kBmpFileHeaderSize> BmpFileHeader(const DibLayout& layout) {
  const std::uint64_t fileSize = std::uint64_t{kBmpFileHeaderSize} + layout.totalSize;
  const std::uint64_t pixels = std::uint64_t{kBmpFileHeaderSize} + layout.pixelOffset;
  if (fileSize > 0xFFFFFFFFu || pixels > fileSize) Invalid();

  std::array<std::uint8_t, kBmpFileHeaderSize> header{};
  header[0] = 'B';
  header[1] = 'M';
  Put32(header.data() + 2, static_cast<std::uint32_t>(fileSize));
  // Bytes 6 to 9 are reserved and stay 0.
  Put32(header.data() + 10, static_cast<std::uint32_t>(pixels));
  return header;
}

std::vector<std::uint8_t> DibFromBmpFile(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size < kBmpFileHeaderSize || data[0] != 'B' || data[1] != 'M') {
    Invalid();
  }
  // The size in the file header is often wrong and is not needed: the
  // file's real size bounds everything.
  const std::uint8_t* dib = data + kBmpFileHeaderSize;
  const std::size_t dibSize = size - kBmpFileHeaderSize;
  const Header h = ReadHeader(dib, dibSize);
  const DibLayout& l = h.layout;

  const std::uint32_t offBits = U32(data + 10);
  if (offBits < kBmpFileHeaderSize) Invalid();
  const std::uint64_t pixels = offBits - kBmpFileHeaderSize;  // from the header's start
  if (pixels < h.tableEnd || pixels > dibSize || l.imageSize > dibSize - pixels) Invalid();

  // A file may leave a gap between the colour table and the pixels; the
  // packed DIB has none. Masks repeated after a V4/V5 header are kept.
  std::uint64_t head = h.tableEnd;
  if (l.compression == kBiBitfields && l.headerSize > kInfoHeader &&
      pixels == h.tableEnd + kMaskBytes) {
    head = pixels;
  }

  if (h.profile) {
    // A file may keep the profile in the gap before the pixels or after
    // them, but not overlapping the header, the table or the pixels.
    const std::uint64_t pixelEnd = pixels + l.imageSize;
    const std::uint64_t profileEnd = h.profileOffset + h.profileSize;
    const bool inGap = h.profileOffset >= head && profileEnd <= pixels;
    const bool afterPixels = h.profileOffset >= pixelEnd;
    if (!(inGap || afterPixels) || profileEnd > dibSize) Invalid();
  }

  std::vector<std::uint8_t> out;
  out.reserve(static_cast<std::size_t>(head + l.imageSize + h.profileSize));
  out.insert(out.end(), dib, dib + head);
  out.insert(out.end(), dib + pixels, dib + pixels + l.imageSize);
  if (h.profile) {
    // The profile goes right after the pixels, wherever the file kept it.
    if (out.size() > kMaxTotalSize) Invalid();
    Put32(out.data() + kProfileData, static_cast<std::uint32_t>(out.size()));
    out.insert(out.end(), dib + h.profileOffset, dib + h.profileOffset + h.profileSize);
  }
  ParseDib(out.data(), out.size());
  return out;
}

}  // namespace pixkeeper
