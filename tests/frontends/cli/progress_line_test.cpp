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

}  // namespace
}  // namespace marrowlock
