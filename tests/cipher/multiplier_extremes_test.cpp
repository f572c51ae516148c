// SPDX-License-Identifier: MIT
// The multiplier's single-block tails with the largest digits: products that overflow
// a narrow integer type must still wrap modulo 256^N.

#include <gtest/gtest.h>

#include "cipher/block_multiplier.h"
#include "support/test_key.h"

namespace marrowlock {
namespace {

TEST(MultiplierExtremesTest, AllOnesTimesAllOnesIsOneForEveryLength) {
  for (int n : {1, 2, 4, 8, 16, 256}) {
    SCOPED_TRACE(n);
    // Counts that leave a tail after the several-blocks-at-a-time paths.
    for (size_t count : {size_t{1}, size_t{7}, size_t{9}, size_t{17}}) {
      const std::vector<uint8_t> minus_one(static_cast<size_t>(n), 0xff);
      std::vector<uint8_t> blocks(count * static_cast<size_t>(n), 0xff);
      BlockMultiplier(minus_one.data(), n).Apply(blocks.data(), count);
      std::vector<uint8_t> one(static_cast<size_t>(n), 0);
      one.back() = 1;
      for (size_t b = 0; b < count; ++b) {
        EXPECT_TRUE(std::equal(one.begin(), one.end(), blocks.begin() + static_cast<long>(b * n)))
            << "block " << b;
      }
      EXPECT_EQ(MultiplyMod(minus_one, minus_one), one);
    }
  }
}

}  // namespace
}  // namespace marrowlock
