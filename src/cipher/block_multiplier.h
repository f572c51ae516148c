#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace marrowlock {

// The word-based transform the commands use: multiplies N-byte big-endian blocks
// by a fixed N-byte multiplier modulo 256^N. It gives the same bytes as
// MultiplyBlock followed by StoreBlockResult, only faster.
class BlockMultiplier {
 public:
  BlockMultiplier() = default;
  // `multiplier` holds N bytes, most significant first. N is 1, 2, 4, 8, 16 or 256.
  BlockMultiplier(const uint8_t* multiplier, int n);

  int BlockLength() const { return n_; }
  // Transforms `count` consecutive N-byte blocks of `blocks` in place.
  void Apply(uint8_t* blocks, size_t count) const;

 private:
  int n_ = 0;
  std::vector<uint8_t> multiplier_;
};

}  // namespace marrowlock
