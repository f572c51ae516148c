// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

namespace marrowlock {

// The block lengths N a key can have, in bytes. A key file holds two N-byte
// numbers, so its length, 2N, alone tells N.
inline constexpr std::array<int, 6> kBlockLengths = {1, 2, 4, 8, 16, 256};

inline bool IsBlockLength(int64_t n) {
  return std::find(kBlockLengths.begin(), kBlockLengths.end(), n) != kBlockLengths.end();
}

}  // namespace marrowlock
