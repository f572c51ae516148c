// SPDX-License-Identifier: MIT
#include "cipher/parallel_transform.h"

#include <gtest/gtest.h>

#include "support/test_key.h"

namespace marrowlock {
namespace {

TEST(ParallelTransformTest, GivesTheBytesOfOneThreadForEveryLengthAndThreadCount) {
  for (int n : {1, 16, 256}) {
    const TestKey key = MakeTestKey(n, 11);
    const BlockMultiplier multiplier(key.pair.data(), n);
    for (int threads : {1, 2, 3, 8}) {
      ParallelTransform transform(threads);
      EXPECT_EQ(transform.Threads(), threads);
      // Runs below the sharing size, of exactly whole pieces, and with a short last piece.
      for (size_t bytes : {size_t{0}, size_t{4096}, size_t{1} << 17, (size_t{3} << 20) + 512}) {
        const size_t count = bytes / static_cast<size_t>(n);
        std::string expected = PatternBytes(count * static_cast<size_t>(n), 5);
        std::string shared = expected;
        multiplier.Apply(reinterpret_cast<uint8_t*>(expected.data()), count);
        transform.Apply(multiplier, reinterpret_cast<uint8_t*>(shared.data()), count);
        ASSERT_TRUE(shared == expected) << "N = " << n << ", " << threads << " threads, " << bytes;
      }
    }
  }
}

TEST(ParallelTransformTest, TheCallerMayWorkBetweenStartAndFinishRunAfterRun) {
  const TestKey key = MakeTestKey(256, 12);
  const BlockMultiplier multiplier(key.pair.data(), 256);
  ParallelTransform transform(2);
  std::string other = PatternBytes(size_t{1} << 20, 1);
  // Many runs one after the other: a helper that wakes late must not touch a run
  // that is over, nor the next one's blocks twice.
  for (int run = 0; run < 50; ++run) {
    std::string blocks = PatternBytes(size_t{1} << 18, static_cast<unsigned>(run));
    std::string expected = blocks;
    multiplier.Apply(reinterpret_cast<uint8_t*>(expected.data()), expected.size() / 256);
    transform.Start(multiplier, reinterpret_cast<uint8_t*>(blocks.data()), blocks.size() / 256);
    for (char& c : other) c = static_cast<char>(c + 1);  // the caller's own work
    transform.Finish();
    ASSERT_TRUE(blocks == expected) << "run " << run;
  }
}

}  // namespace
}  // namespace marrowlock
