#pragma once
// The capture benchmark's pictures, apart from any system header so that the
// native timing tool codes the very pixels the Windows bench puts on the clipboard.

#include <vector>

namespace pixkeeper::bench {

// Blue, green, red and a zero byte per pixel, rows in a bottom-up DIB's order.
// `flat`: a screenshot-like picture (flat areas, lines of text); otherwise a
// photo-like one (gradients and noise).
std::vector<unsigned char> BenchPixels(int width, int height, bool flat);

}  // namespace pixkeeper::bench
