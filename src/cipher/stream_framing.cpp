// SPDX-License-Identifier: MIT
#include "cipher/stream_framing.h"

#include <algorithm>
#include <cstring>

namespace marrowlock {

bool FinalPlainBlock(std::string_view tail, int64_t total, int n, uint8_t* block) {
  const int64_t rest = static_cast<int64_t>(tail.size());
  if (rest == 0 && total > 0) return false;
  // The final chunk is the last total % ChunkSize bytes (a whole chunk when that is
  // 0). The bytes carried over to it and the chunk itself make less than a block
  // exactly when the chunk is no longer than the short rest of the source.
  const int64_t final_chunk = total == 0 ? 0 : (total - 1) % kSourceChunkSize + 1;
  const bool spaces_only = total > kSourceChunkSize && final_chunk <= rest;
  std::memcpy(block, tail.data(), static_cast<size_t>(rest));
  block[rest] = ' ';
  std::fill(block + rest + 1, block + n, spaces_only ? uint8_t{' '} : uint8_t{0});
  return true;
}

}  // namespace marrowlock
