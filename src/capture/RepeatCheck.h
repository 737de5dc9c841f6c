#pragma once
// The last picture saved, kept to tell whether the next one is the same:
// the same size, depth, colours and pixels, or, for a PNG kept as offered,
// the same bytes.

#include <cstdint>
#include <vector>

#include "image/Picture.h"

namespace pixkeeper {

class RepeatCheck {
 public:
  bool Repeats(const ClipboardPicture& taken) const;
  void Remember(const ClipboardPicture& taken);
  // Lets the copy go (the check is off).
  void Forget();

 private:
  std::vector<std::uint8_t> last_;
};

}  // namespace pixkeeper
