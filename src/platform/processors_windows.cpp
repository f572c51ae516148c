// SPDX-License-Identifier: MIT
#include "platform/processors.h"

#include <windows.h>

#include <bit>

namespace marrowlock {

int ProcessorCount() {
  // The affinity mask, so that a process limited to some processors counts only those.
  DWORD_PTR process = 0, system = 0;
  if (::GetProcessAffinityMask(::GetCurrentProcess(), &process, &system) && process != 0) {
    return std::popcount(static_cast<unsigned long long>(process));
  }
  const DWORD all = ::GetActiveProcessorCount(ALL_PROCESSOR_GROUPS);
  return all > 0 ? static_cast<int>(all) : 1;
}

}  // namespace marrowlock
