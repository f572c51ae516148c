// SPDX-License-Identifier: MIT
#include "commands/block_runs.h"

#include <algorithm>

namespace marrowlock {

int64_t BlocksInRun(const ProgramState& s, int64_t available) {
  const int64_t n = s.BlockLength;
  const int64_t room = s.FlushThreshold - static_cast<int64_t>(s.OutputBuffer.size());
  const int64_t wanted = (room + n - 1) / n;
  return std::max<int64_t>(1, std::min(available, wanted));
}

void MultiplyRun(ProgramState& s, const BlockMultiplier& multiplier, size_t run_start) {
  const size_t bytes = s.OutputBuffer.size() - run_start;
  multiplier.Apply(reinterpret_cast<uint8_t*>(s.OutputBuffer.data() + run_start),
                   bytes / static_cast<size_t>(s.BlockLength));
}

FlushPoint AtFlushPoint(ProgramState& s) {
  if (static_cast<int64_t>(s.OutputBuffer.size()) < s.FlushThreshold) return FlushPoint::kNotYet;
  s.platform.ProcessEvents();
  return s.AbortRequested ? FlushPoint::kAbandon : FlushPoint::kFlush;
}

}  // namespace marrowlock
