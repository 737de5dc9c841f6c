// The cost of a small picture for the list, made from the feeder's picture in
// the capturer's own way (ThumbnailOf on the worker's maker), alone: a
// millisecond is lost in the spread of whole captures.
#include <cstdio>
#include <utility>

#include "BenchCommon.h"
#include "capture/ThumbnailSource.h"
#include "platform/win32/Win32Platform.h"

namespace pixkeeper::bench {

int RunThumbnail(int width, int height, int count, bool flat) {
  Win32Platform platform;
  ThumbnailMaker maker;
  ClipboardPicture taken;
  taken.picture = Picture::Own(MakeDib(width, height, flat));
  const ThumbnailLook look{{64, 48}, 0xFFFFFF};
  const double frequency = static_cast<double>(Frequency());
  for (int i = 0; i < count; ++i) {
    const std::int64_t start = Now();
    const ThumbnailView small = ThumbnailOf(platform, maker, taken, look);
    const std::int64_t end = Now();
    if (small.empty()) return 1;
    std::printf("ms %.3f\n", static_cast<double>(end - start) * 1000 / frequency);
  }
  return 0;
}

}  // namespace pixkeeper::bench
