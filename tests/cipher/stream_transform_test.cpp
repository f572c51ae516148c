// SPDX-License-Identifier: MIT
#include "cipher/stream_transform.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "support/test_key.h"

namespace marrowlock {
namespace {

class StreamTransformTest : public ::testing::Test {
 protected:
  // Runs `data` through a StreamTransform of `threads` into a file; returns its bytes.
  std::string Through(const std::string& data, int threads, Direction direction,
                      StreamOutcome* outcome = nullptr) {
    WriteFile(dir / "in", data);
    File in = File::OpenRead(dir / "in");
    File out = File::Create(dir / "out");
    std::atomic<int64_t> progress{0};
    StreamTransform transform(threads);
    StreamOutcome got = transform.Run(direction, multiplier, in, out, progress);
    out.Close();
    EXPECT_EQ(progress.load(), static_cast<int64_t>(data.size()));
    if (outcome) *outcome = got;
    return ReadFile(dir / "out");
  }

  TempDir dir;
  TestKey key = MakeTestKey(16, 9);
  BlockMultiplier multiplier{key.pair.data(), 16};
};

TEST_F(StreamTransformTest, AnyNumberOfThreadsWritesTheFramedBlocksInOrder) {
  // Past several buffers of a MiB, ending in a short block.
  const std::string data = PatternBytes((size_t{5} << 20) + 3, 4);
  const std::string expected = ReferenceTransform(ReferenceFraming(data, 16, true), key.pair);
  for (int threads : {1, 2, 3, 5}) {
    StreamOutcome outcome;
    ASSERT_TRUE(Through(data, threads, Direction::kEncrypt, &outcome) == expected) << threads;
    EXPECT_EQ(outcome.bytes_read, static_cast<int64_t>(data.size()));
    EXPECT_EQ(outcome.left_over, 0);
  }
}

TEST_F(StreamTransformTest, DecryptionCountsTheBytesAfterTheLastWholeBlock) {
  const std::string blocks = PatternBytes((size_t{2} << 20) + 32, 5);
  StreamOutcome outcome;
  const std::string out = Through(blocks + "xyz", 2, Direction::kDecrypt, &outcome);
  EXPECT_TRUE(out == ReferenceTransform(blocks, key.pair));
  EXPECT_EQ(outcome.left_over, 3);
  EXPECT_EQ(Through("", 2, Direction::kDecrypt, &outcome), "");
  EXPECT_EQ(outcome.bytes_read, 0);
}

TEST_F(StreamTransformTest, AFailedWriteStopsEveryThreadAndIsReported) {
  const std::string data = PatternBytes(size_t{6} << 20, 6);
  FailWritesAfter((int64_t{5} << 20) / 2);
  EXPECT_THROW(Through(data, 3, Direction::kEncrypt), FileError);
  FailWritesAfter(std::nullopt);
  EXPECT_EQ(ReadFile(dir / "out").size(), size_t{5} << 19) << "written up to the failure, in order";
}

}  // namespace
}  // namespace marrowlock
