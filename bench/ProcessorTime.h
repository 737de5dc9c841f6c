#pragma once
// Processor time of every thread of the process so far, in milliseconds (on
// Linux, for the native bench tools): wall time is worth little on a machine
// busy with other work.

#include <sys/resource.h>

namespace pixkeeper::bench {

inline double ProcessorMs() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

}  // namespace pixkeeper::bench
