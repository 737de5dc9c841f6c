#pragma once
// The number of the RuntimeError an action raises, 0 when it raises none.

#include <functional>

#include "platform/RuntimeError.h"

namespace pixkeeper::test {

inline int ErrorNumberOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const RuntimeError& e) {
    return e.number();
  }
  return 0;
}

}  // namespace pixkeeper::test
