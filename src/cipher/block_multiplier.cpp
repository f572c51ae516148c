#include "cipher/block_multiplier.h"

namespace marrowlock {

BlockMultiplier::BlockMultiplier(const uint8_t* multiplier, int n)
    : n_(n), multiplier_(multiplier, multiplier + n) {}

void BlockMultiplier::Apply(uint8_t* blocks, size_t count) const {
  std::vector<uint32_t> low(static_cast<size_t>(n_));
  for (size_t b = 0; b < count; ++b) {
    uint8_t* block = blocks + b * static_cast<size_t>(n_);
    // Little-endian accumulation of the low N bytes of block x multiplier.
    std::fill(low.begin(), low.end(), 0);
    for (int i = 0; i < n_; ++i) {
      uint32_t a = block[n_ - 1 - i];
      if (a == 0) continue;
      for (int j = 0; i + j < n_; ++j)
        low[static_cast<size_t>(i + j)] += a * multiplier_[static_cast<size_t>(n_ - 1 - j)];
    }
    uint64_t carry = 0;
    for (int k = 0; k < n_; ++k) {
      uint64_t v = low[static_cast<size_t>(k)] + carry;
      block[n_ - 1 - k] = static_cast<uint8_t>(v);
      carry = v >> 8;
    }
  }
}

}  // namespace marrowlock
