// SPDX-License-Identifier: MIT
// Long runs in the window: Escape stops them at once, and a large decryption into the
// text box costs time in proportion to its size.

#include <unistd.h>

#include <chrono>

#include "commands/command_fixture.h"

namespace marrowlock {
namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

class ResponsivenessTest : public CommandTest {
 protected:
  // Presses Escape during the given flush and notes when.
  void PressEscapeAtFlush(int flush) {
    platform.on_events = [this, flush] {
      if (++flushes == flush) {
        pressed = Clock::now();
        s.AbortRequested = true;
      }
    };
  }
  int flushes = 0;
  Clock::time_point pressed;
};

TEST_F(ResponsivenessTest, EscapeAbandonsALargeEncryptionOrDecryptionAtOnce) {
  UseKey(16);
  BinaryMode();
  // 256 MiB of zeros that cost no disk: the run would take seconds to finish.
  {
    File big = File::Create("big.bin");
    ASSERT_EQ(::ftruncate(big.Descriptor(), 256 << 20), 0);
  }
  PressEscapeAtFlush(5000);
  s.EncryptSourceName = "big.bin";
  EncryptCommand(s);
  EXPECT_LT(SecondsSince(pressed), 0.1);
  EXPECT_EQ(flushes, 5000);
  EXPECT_FALSE(FileExists("big.enc"));

  WriteFile("big.enc", PatternBytes(32 << 20, 3));
  flushes = 0;
  PressEscapeAtFlush(5000);
  s.DecryptSourceName = "big.enc";
  DecryptCommand(s);
  EXPECT_LT(SecondsSince(pressed), 0.1);
  EXPECT_EQ(flushes, 5000);
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
