// SPDX-License-Identifier: MIT
#include "platform/processors.h"

#include <sched.h>
#include <unistd.h>

namespace marrowlock {

int ProcessorCount() {
#if MARROWLOCK_LINUX_FEATURES
  // The processors this process may run on, which a container or taskset may limit.
  cpu_set_t set;
  CPU_ZERO(&set);
  if (::sched_getaffinity(0, sizeof set, &set) == 0) {
    const int count = CPU_COUNT(&set);
    if (count > 0) return count;
  }
#endif
  const long online = ::sysconf(_SC_NPROCESSORS_ONLN);
  return online > 0 ? static_cast<int>(online) : 1;
}

}  // namespace marrowlock
