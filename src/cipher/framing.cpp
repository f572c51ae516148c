// SPDX-License-Identifier: MIT
#include "cipher/framing.h"

#include <algorithm>
#include <cstring>

namespace marrowlock {

bool FinalPlainBlock(SourceKind kind, std::string_view tail, int64_t total, int n, uint8_t* block) {
  const int64_t rest = static_cast<int64_t>(tail.size());
  if (rest == 0 && (total > 0 || kind == SourceKind::kText)) return false;
  // A file is read chunk by chunk, carrying the bytes after the last whole block over
  // to the next chunk; the carried bytes and the final chunk make less than a block
  // exactly when that chunk is no longer than the short rest of the source.
  bool spaces_only = false;
  if (kind == SourceKind::kFile) {
    const int64_t final_chunk = total == 0 ? 0 : (total - 1) % kChunkSize + 1;
    spaces_only = total > kChunkSize && final_chunk <= rest;
  }
  std::memcpy(block, tail.data(), static_cast<size_t>(rest));
  block[rest] = ' ';
  std::fill(block + rest + 1, block + n, spaces_only ? uint8_t{' '} : uint8_t{0});
  return true;
}

}  // namespace marrowlock
