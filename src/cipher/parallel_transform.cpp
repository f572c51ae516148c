// SPDX-License-Identifier: MIT
#include "cipher/parallel_transform.h"

#include <algorithm>
#include <atomic>

namespace marrowlock {
namespace {

constexpr size_t kPieceBytes = size_t{64} << 10;
// Below two pieces a run is not worth sharing.
constexpr size_t kSharedRunBytes = 2 * kPieceBytes;

}  // namespace

// One run. Helpers hold it by shared_ptr, so that a helper that wakes only after the
// run is over still finds its counters, sees that no piece is left, and touches none
// of the blocks, which may already belong to the caller's next run.
struct ParallelTransform::Run {
  const BlockMultiplier* multiplier = nullptr;
  uint8_t* blocks = nullptr;
  size_t count = 0;
  size_t blocks_per_piece = 0;
  size_t pieces = 0;
  std::atomic<size_t> next_piece{0};
  std::atomic<size_t> pieces_done{0};
  ParallelTransform* owner = nullptr;
};

ParallelTransform::ParallelTransform(int threads) {
  for (int i = 1; i < threads; ++i) helpers_.emplace_back([this] { Help(); });
}

ParallelTransform::~ParallelTransform() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (std::thread& helper : helpers_) helper.join();
}

void ParallelTransform::Apply(const BlockMultiplier& multiplier, uint8_t* blocks, size_t count) {
  Start(multiplier, blocks, count);
  Finish();
}

void ParallelTransform::Start(const BlockMultiplier& multiplier, uint8_t* blocks, size_t count) {
  auto run = std::make_shared<Run>();
  run->multiplier = &multiplier;
  run->blocks = blocks;
  run->count = count;
  const size_t n = static_cast<size_t>(multiplier.BlockLength());
  run->blocks_per_piece = std::max<size_t>(1, kPieceBytes / n);
  run->pieces = (count + run->blocks_per_piece - 1) / run->blocks_per_piece;
  run->owner = this;
  const bool shared = !helpers_.empty() && count * n >= kSharedRunBytes;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    run_ = std::move(run);
    if (shared) ++generation_;
  }
  if (shared) wake_.notify_all();
}

void ParallelTransform::Finish() {
  std::shared_ptr<Run> run;
  {
    // Left in place for the helpers that have not woken yet: taken away now, it would
    // leave the whole run to the caller.
    std::lock_guard<std::mutex> lock(mutex_);
    run = run_;
  }
  if (!run) return;
  Work(*run);
  std::unique_lock<std::mutex> lock(mutex_);
  done_.wait(lock, [&] { return run->pieces_done.load() == run->pieces; });
  run_.reset();
}

void ParallelTransform::Help() {
  uint64_t seen = 0;
  for (;;) {
    std::shared_ptr<Run> run;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [&] { return stopping_ || generation_ != seen; });
      if (stopping_) return;
      seen = generation_;
      run = run_;
    }
    // The caller may have taken the run for Finish already and done it all.
    if (run) Work(*run);
  }
}

void ParallelTransform::Work(Run& run) {
  const size_t n = static_cast<size_t>(run.multiplier->BlockLength());
  for (;;) {
    const size_t piece = run.next_piece.fetch_add(1);
    if (piece >= run.pieces) return;
    const size_t first = piece * run.blocks_per_piece;
    const size_t count = std::min(run.blocks_per_piece, run.count - first);
    run.multiplier->Apply(run.blocks + first * n, count);
    if (run.pieces_done.fetch_add(1) + 1 == run.pieces) {
      // Under the lock, so that Finish cannot miss the news between its test and its wait.
      std::lock_guard<std::mutex> lock(run.owner->mutex_);
      run.owner->done_.notify_all();
    }
  }
}

}  // namespace marrowlock
