// SPDX-License-Identifier: MIT
#include "cipher/key_inverse.h"

#include <stdexcept>

#include "cipher/block_multiplier.h"

namespace marrowlock {
namespace {

// x * y mod 256^N, both big-endian.
std::vector<uint8_t> Multiply(const std::vector<uint8_t>& x, std::vector<uint8_t> y) {
  BlockMultiplier(x.data(), static_cast<int>(x.size())).Apply(y.data(), 1);
  return y;
}

bool IsOne(const std::vector<uint8_t>& x) {
  for (size_t i = 0; i + 1 < x.size(); ++i) {
    if (x[i] != 0) return false;
  }
  return x.back() == 1;
}

}  // namespace

std::vector<uint8_t> InverseModBlock(const std::vector<uint8_t>& value) {
  if (value.empty() || value.back() % 2 == 0) {
    throw std::invalid_argument("an even number has no inverse modulo 256^N");
  }
  // Newton's iteration x <- x * (2 - a * x) doubles the number of correct low bits;
  // an odd a is its own inverse modulo 8, so three bits are right to begin with.
  std::vector<uint8_t> x = value;
  for (int round = 0; round < 16; ++round) {
    std::vector<uint8_t> ax = Multiply(value, x);
    if (IsOne(ax)) return x;
    // 2 - ax modulo 256^N, from the least significant byte up.
    std::vector<uint8_t> twice(ax.size());
    int borrow = 0;
    for (size_t i = ax.size(); i-- > 0;) {
      int d = (i + 1 == ax.size() ? 2 : 0) - ax[i] - borrow;
      borrow = d < 0;
      twice[i] = static_cast<uint8_t>(d + 256 * borrow);
    }
    x = Multiply(x, twice);
  }
  throw std::logic_error("inverse did not converge");
}

bool IsInversePair(const std::vector<uint8_t>& pair, const std::vector<uint8_t>& pal) {
  if (pair.empty() || pair.size() != pal.size()) return false;
  return IsOne(Multiply(pair, pal));
}

}  // namespace marrowlock
