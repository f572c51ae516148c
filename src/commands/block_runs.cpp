// SPDX-License-Identifier: MIT
#include "commands/block_runs.h"

#include <algorithm>

#include "cipher/parallel_transform.h"
#include "platform/processors.h"

namespace marrowlock {
namespace {

// The longest run of a batch run: long enough that sharing it between threads
// costs little, short enough to keep the memory small.
constexpr int64_t kBatchRunBytes = int64_t{1} << 20;

// Batch mode's threads, started at its first long run and kept for the life of the
// program (a batch run does one command, the window none of this).
ParallelTransform& BatchThreads() {
  static ParallelTransform threads(ProcessorCount());
  return threads;
}

}  // namespace

int64_t BlocksInRun(const ProgramState& s, int64_t available) {
  const int64_t n = s.BlockLength;
  const int64_t limit = s.BatchMode ? std::max(kBatchRunBytes, s.FlushThreshold) : s.FlushThreshold;
  const int64_t room = limit - static_cast<int64_t>(s.OutputBuffer.size());
  const int64_t wanted = (room + n - 1) / n;
  return std::max<int64_t>(1, std::min(available, wanted));
}

void MultiplyRun(ProgramState& s, const BlockMultiplier& multiplier, size_t run_start,
                 const std::function<void()>& meanwhile) {
  const size_t bytes = s.OutputBuffer.size() - run_start;
  uint8_t* blocks = reinterpret_cast<uint8_t*>(s.OutputBuffer.data() + run_start);
  const size_t count = bytes / static_cast<size_t>(s.BlockLength);
  if (s.BatchMode) {
    ParallelTransform& threads = BatchThreads();
    threads.Start(multiplier, blocks, count);
    try {
      meanwhile();
    } catch (...) {
      threads.Finish();
      throw;
    }
    threads.Finish();
  } else {
    multiplier.Apply(blocks, count);
  }
}

FlushPoint AtFlushPoint(ProgramState& s) {
  if (static_cast<int64_t>(s.OutputBuffer.size()) < s.FlushThreshold) return FlushPoint::kNotYet;
  s.platform.ProcessEvents();
  return s.AbortRequested ? FlushPoint::kAbandon : FlushPoint::kFlush;
}

}  // namespace marrowlock
