#pragma once
// The small picture of a picture just taken, made on the worker from the
// pixels in hand before they are let go: never by reading the file back.

#include "capture/Program.h"
#include "image/Thumbnail.h"

namespace pixkeeper {

// The small picture in the look's box; a PNG kept as it came is decoded for
// it. Empty when the list shows none, and for a picture whose pixels cannot
// be read here (16 bits, run-length coded, odd masks) or decoded: the entry
// then shows its path only.
ThumbnailView ThumbnailOf(Platform& platform, ThumbnailMaker& maker, const ClipboardPicture& taken,
                          const ThumbnailLook& look);

}  // namespace pixkeeper
