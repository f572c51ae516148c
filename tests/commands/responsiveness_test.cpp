// SPDX-License-Identifier: MIT
// Long runs in the window: Escape stops them at once, and a large decryption into the
// text box costs time in proportion to its size.

#include <chrono>
#include <filesystem>

#include "commands/command_fixture.h"
#include "platform/file_system.h"

namespace marrowlock {
namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

class ResponsivenessTest : public CommandTest {
 protected:
  // Presses Escape during the given flush and notes when, and how far into its
  // input the run was by then.
  void PressEscapeAtFlush(int flush) {
    platform.on_events = [this, flush] {
      if (++flushes == flush) {
        pressed = Clock::now();
        done_when_pressed = InputDone();
        s.AbortRequested = true;
      }
    };
  }

  // The bytes of its input that the run has taken so far.
  int64_t InputDone() const { return s.SourceFileSize != 0 ? s.SourcePos : s.CipherPos; }

  int flushes = 0;
  Clock::time_point pressed;
  int64_t done_when_pressed = -1;
};

// What a run may still take after Escape: the blocks already under way. The rest of
// the file is hundreds of megabytes, so a run that went on would be seen at once.
constexpr int64_t kDoneAfterEscape = 8 << 20;

TEST_F(ResponsivenessTest, EscapeAbandonsALargeEncryptionOrDecryptionAtOnce) {
  UseKey(16);
  BinaryMode();
  // 256 MiB of zeros that cost no disk: the run would take seconds to finish.
  {
    WriteFile("big.bin", "");
    std::filesystem::resize_file("big.bin", 256 << 20);
  }
  PressEscapeAtFlush(5000);
  s.EncryptSourceName = "big.bin";
  EncryptCommand(s);
  // Wall time only as a bound that holds on a crowded machine; the bytes say more.
  EXPECT_LT(SecondsSince(pressed), 1.0);
  EXPECT_EQ(flushes, 5000);
  ASSERT_GT(done_when_pressed, 0);
  EXPECT_LT(InputDone() - done_when_pressed, kDoneAfterEscape);
  EXPECT_FALSE(FileExists("big.enc"));

  {
    WriteFile("big.enc", "");
    std::filesystem::resize_file("big.enc", 256 << 20);
  }
  flushes = 0;
  s.SourceFileSize = 0;
  PressEscapeAtFlush(5000);
  s.DecryptSourceName = "big.enc";
  DecryptCommand(s);
  EXPECT_LT(SecondsSince(pressed), 1.0);
  EXPECT_EQ(flushes, 5000);
  ASSERT_GT(done_when_pressed, 0);
  EXPECT_LT(InputDone() - done_when_pressed, kDoneAfterEscape);
  EXPECT_FALSE(FileExists("big.dec"));
  EXPECT_FALSE(s.CommandRunning);
}

TEST_F(ResponsivenessTest, TenMegabytesDecryptIntoTheTextBoxWithinTwoSeconds) {
  UseKey(16);
  const size_t size = 10'000'000;  // a multiple of 16
  const std::string encrypted = PatternBytes(size, 5);
  WriteFile("ten.enc", encrypted);
  s.DecryptSourceName = "ten";
  const Clock::time_point start = Clock::now();
  DecryptCommand(s);
  EXPECT_LT(SecondsSince(start), 2.0);
  ASSERT_EQ(s.Form1.Text1.Text.size(), size);
  // The ends agree with the byte-wise reference; the whole is checked by the file.
  const size_t edge = 4096;
  EXPECT_EQ(s.Form1.Text1.Text.substr(0, edge),
            ReferenceTransform(encrypted.substr(0, edge), key.pal));
  EXPECT_EQ(s.Form1.Text1.Text.substr(size - edge),
            ReferenceTransform(encrypted.substr(size - edge), key.pal));
  EXPECT_EQ(ReadFile("ten.dec"), s.Form1.Text1.Text);
}

}  // namespace
}  // namespace marrowlock
