// SPDX-License-Identifier: MIT
#include "frontends/cli/progress_line.h"

#include <gtest/gtest.h>

namespace marrowlock {
namespace {

TEST(ProgressTextTest, AKnownTotalShowsBarShareRateAndTimeLeft) {
  const int64_t mib = int64_t{1} << 20;
  EXPECT_EQ(ProgressText(100 * mib, 400 * mib, 2.0),
            "[#####               ]  25%  100.0 MiB of 400.0 MiB  50.0 MiB/s  0:06 left");
  EXPECT_EQ(ProgressText(400 * mib, 400 * mib, 4.0),
            "[####################] 100%  400.0 MiB of 400.0 MiB  100.0 MiB/s  0:00 left");
  EXPECT_EQ(ProgressText(1 * mib, 7200 * mib, 1.0).substr(49), "1.0 MiB/s  1:59:59 left");
}

TEST(ProgressTextTest, AStreamOfUnknownLengthShowsBytesAndRateOnly) {
  EXPECT_EQ(ProgressText(1536, -1, 1.0), "1.5 KiB  1.5 KiB/s");
  EXPECT_EQ(ProgressText(0, -1, 0.0), "0 B  0 B/s");
  EXPECT_EQ(ProgressText(3 * (int64_t{1} << 30), -1, 3.0), "3.0 GiB  1.0 GiB/s");
}

// A console that cannot erase to the end of a line gets spaces over whatever the
// longer text drawn before left, and no escape sequence that it would print.
TEST(ProgressRedrawTest, WithoutTheEraseSequenceSpacesCoverTheOldText) {
  EXPECT_EQ(RedrawnLine("1.5 MiB", 0, true), "\r1.5 MiB\033[K");
  EXPECT_EQ(ErasedLine(7, true), "\r\033[K");
  EXPECT_EQ(RedrawnLine("9 B", 7, false), "\r9 B    ");
  EXPECT_EQ(RedrawnLine("1.5 MiB", 3, false), "\r1.5 MiB");
  EXPECT_EQ(ErasedLine(3, false), "\r   \r");
}

}  // namespace
}  // namespace marrowlock
