// Batch mode reads several chunks at a time and shares long runs of blocks among
// threads; the files it writes must be byte for byte those of block-by-block work.

#include "commands/command_fixture.h"

namespace marrowlock {
namespace {

class BatchRunsTest : public CommandTest, public ::testing::WithParamInterface<int> {};

TEST_P(BatchRunsTest, LongSharedRunsWriteTheFramedBlocks) {
  const int n = GetParam();
  UseKey(n);
  BinaryMode();
  s.BatchMode = s.StartedWithFile = true;
  // Hundreds of chunks ending in a final chunk padded with spaces, and several MiB
  // ending on a short block padded with a space and zeros.
  const int64_t carried = 300 * 4001 % n;
  const int64_t spaces_case = 300 * 4001 + std::max<int64_t>(1, n - carried - 1);
  for (int64_t size : {spaces_case, (int64_t{3} << 20) + 7}) {
    SCOPED_TRACE("size " + std::to_string(size));
    const std::string data = PatternBytes(static_cast<size_t>(size), static_cast<unsigned>(n));
    const std::string framed = ReferenceFraming(data, n, true);
    WriteFile("big.bin", data);
    s.EncryptSourceName = "big.bin";
    ASSERT_EQ(ExitStatusOf(EncryptCommand), kExitOk);
    ASSERT_TRUE(ReadFile("big.enc") == ReferenceTransform(framed, key.pair));

    s.BatchMode = s.StartedWithFile = true;
    s.DecryptSourceName = "big.enc";
    ASSERT_EQ(ExitStatusOf(DecryptCommand), kExitOk);
    ASSERT_TRUE(ReadFile("big.dec") == framed);
    s.BatchMode = s.StartedWithFile = true;
  }
}

INSTANTIATE_TEST_SUITE_P(EveryBlockLength, BatchRunsTest, ::testing::Values(1, 2, 4, 8, 16, 256));

}  // namespace
}  // namespace marrowlock
