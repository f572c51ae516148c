// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace marrowlock {

// The word-based transform the commands use: multiplies N-byte big-endian blocks
// by a fixed N-byte multiplier modulo 256^N. It gives the same bytes as
// MultiplyBlock followed by StoreBlockResult, only faster:
//   N <= 8   one machine multiply per block (N = 1 and 2 several blocks at a time),
//   N = 16   one 128-bit multiply per block,
//   N = 256  32 64-bit limbs, only the partial products that reach the low half.
// Any other N > 0 takes a byte-wise path that is correct but slow.
class BlockMultiplier {
 public:
  BlockMultiplier() = default;
  // `multiplier` holds N bytes, most significant first. N is 1, 2, 4, 8, 16 or 256.
  BlockMultiplier(const uint8_t* multiplier, int n);

  int BlockLength() const { return n_; }
  // Transforms `count` consecutive N-byte blocks of `blocks` in place.
  void Apply(uint8_t* blocks, size_t count) const;

 private:
  void ApplyBytes(uint8_t* blocks, size_t count) const;
  void ApplyLimbs(uint8_t* blocks, size_t count) const;

  int n_ = 0;
  std::vector<uint8_t> multiplier_;  // big-endian, as given
  uint64_t low_word_ = 0;            // the low 64 bits of the multiplier (N <= 8)
  uint64_t high_word_ = 0;           // bits 64..127 of the multiplier (N = 16)
  std::vector<uint64_t> limbs_;      // little-endian 64-bit limbs (N = 256)
};

}  // namespace marrowlock
