// SPDX-License-Identifier: MIT
// Batch mode reads several chunks at a time and shares long runs of blocks among
// threads; the files it writes must be byte for byte those of the window's
// block-by-block runs.

#include "cipher/framing.h"
#include "commands/command_fixture.h"

namespace marrowlock {
namespace {

class BatchRunsTest : public CommandTest, public ::testing::WithParamInterface<int> {
 protected:
  // Encrypts `source`, then decrypts its encrypted file, with a window or in batch
  // mode; returns both results.
  std::pair<std::string, std::string> RoundTrip(const std::string& source, bool batch) {
    s.BatchMode = s.StartedWithFile = batch;
    s.EncryptSourceName = source;
    if (batch) {
      EXPECT_EQ(ExitStatusOf(EncryptCommand), kExitOk);
    } else {
      EncryptCommand(s);
    }
    const std::string encrypted = ReadFile(EncryptedName(source));
    s.BatchMode = s.StartedWithFile = batch;
    s.DecryptSourceName = EncryptedName(source);
    if (batch) {
      EXPECT_EQ(ExitStatusOf(DecryptCommand), kExitOk);
    } else {
      DecryptCommand(s);
    }
    return {encrypted, ReadFile("big.dec")};
  }
  static std::string EncryptedName(const std::string& source) {
    return source.substr(0, source.find('.')) + ".enc";
  }
};

TEST_P(BatchRunsTest, LongSharedRunsWriteTheBytesOfTheWindowsRuns) {
  const int n = GetParam();
  UseKey(n);
  BinaryMode();
  // Hundreds of chunks ending in a final chunk padded with spaces, and several MiB
  // ending on a short block padded with a space and zeros.
  const int64_t carried = 300 * 4001 % n;
  const int64_t spaces_case = 300 * 4001 + std::max<int64_t>(1, n - carried - 1);
  for (int64_t size : {spaces_case, (int64_t{3} << 20) + 7}) {
    SCOPED_TRACE("size " + std::to_string(size));
    WriteFile("big.bin", PatternBytes(static_cast<size_t>(size), static_cast<unsigned>(n)));
    const auto [window_enc, window_dec] = RoundTrip("big.bin", false);
    ASSERT_EQ(window_enc.size(), static_cast<size_t>((size + n - 1) / n * n));
    const auto [batch_enc, batch_dec] = RoundTrip("big.bin", true);
    EXPECT_TRUE(batch_enc == window_enc);
    EXPECT_TRUE(batch_dec == window_dec);
  }
}

TEST_P(BatchRunsTest, AStrayByteAfterManyWindowsIsIgnoredAsAfterOne) {
  const int n = GetParam();
  if (n == 1) GTEST_SKIP() << "with N = 1 every byte is a whole block";
  UseKey(n);
  BinaryMode();
  // Batch decryption reads the encrypted file ahead while it multiplies; the byte
  // after the last whole block must still be found at the end of the last window.
  WriteFile("big.bin", PatternBytes((size_t{3} << 20) + 5, static_cast<unsigned>(n)));
  const auto [encrypted, decrypted] = RoundTrip("big.bin", true);
  WriteFile("big.enc", encrypted + "x");
  s.BatchMode = s.StartedWithFile = true;
  s.DecryptSourceName = "big.enc";
  EXPECT_EQ(ExitStatusOf(DecryptCommand), kExitOk);
  EXPECT_TRUE(ReadFile("big.dec") == decrypted);
}

// The chunks the window reads and shows in are those the framing measures files in.
TEST(ChunkSizeTest, TheStatesChunkSizeIsTheFramings) {
  ScriptedPlatform platform;
  ProgramState s{platform};
  EXPECT_EQ(s.ChunkSize, kChunkSize);
}

INSTANTIATE_TEST_SUITE_P(EveryBlockLength, BatchRunsTest, ::testing::Values(1, 2, 4, 8, 16, 256));

}  // namespace
}  // namespace marrowlock
