#include "capture/ThumbnailSource.h"

#include <new>

#include "base/RuntimeError.h"
#include "image/PngWriter.h"

namespace pixkeeper {

ThumbnailView ThumbnailOf(Platform& platform, ThumbnailMaker& maker, const ClipboardPicture& taken,
                          const ThumbnailLook& look) {
  if (look.box.width <= 0 || look.box.height <= 0) return {};
  try {
    Picture decoded;
    if (!taken.png.empty()) decoded = platform.DecodePng(taken.png);
    PngRows rows;
    if (!PngRowsOf(taken.png.empty() ? taken.picture : decoded, rows)) return {};
    return maker.Make(rows, look.box, look.background);
  } catch (const RuntimeError&) {
  } catch (const std::bad_alloc&) {
  }
  // The file is saved all the same; its entry shows the path alone.
  return {};
}

}  // namespace pixkeeper
