// SPDX-License-Identifier: MIT
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "cipher/block_multiplier.h"

namespace marrowlock {

// Shares the multiplication of long runs of blocks between threads: a run is cut
// into pieces of 64 KiB that the helper threads and the caller take one after the
// other, so that a thread slowed down by other work simply takes fewer pieces. The
// result is byte for byte that of BlockMultiplier::Apply on the whole run. Short
// runs, where waking a thread would cost more than it saves, are done by the caller
// alone.
//
// One run at a time, started and finished by the same caller.
class ParallelTransform {
 public:
  // `threads` counts the caller: 1 starts no thread at all.
  explicit ParallelTransform(int threads);
  ~ParallelTransform();
  ParallelTransform(const ParallelTransform&) = delete;
  ParallelTransform& operator=(const ParallelTransform&) = delete;

  int Threads() const { return static_cast<int>(helpers_.size()) + 1; }

  // Multiplies `count` consecutive blocks of `blocks` in place, and returns when all
  // are done.
  void Apply(const BlockMultiplier& multiplier, uint8_t* blocks, size_t count);

  // Apply in two steps, so that the caller can do other work (read and write its
  // files) while the helpers multiply: Start hands the run to the helpers and
  // returns at once; Finish takes the caller's share and returns when every block
  // is done. The blocks and the multiplier must stay put until then.
  void Start(const BlockMultiplier& multiplier, uint8_t* blocks, size_t count);
  void Finish();

 private:
  struct Run;
  void Help();
  static void Work(Run& run);

  std::mutex mutex_;
  std::condition_variable wake_;  // a new run, or the end
  std::condition_variable done_;  // a run's last piece is done
  std::shared_ptr<Run> run_;      // the run of the last Start
  uint64_t generation_ = 0;       // counts runs handed to the helpers
  bool stopping_ = false;
  std::vector<std::thread> helpers_;
};

}  // namespace marrowlock
