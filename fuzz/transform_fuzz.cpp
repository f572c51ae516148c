// SPDX-License-Identifier: MIT
// The word-based multiplier against the byte-wise schoolbook, for any block length.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "cipher/block_lengths.h"
#include "cipher/block_multiplier.h"
#include "commands/block_transform.h"
#include "commands/key_file.h"
#include "fuzz_platform.h"
#include "state/program_state.h"

// Input: one byte choosing N and the product mode, one byte for an N outside the six,
// then the N-byte multiplier, then the blocks (the last, short one is dropped).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace marrowlock;
  if (size < 2) return 0;
  const int choice = data[0] % 8;
  // Lengths outside the six take the multiplier's general paths; they are not key lengths.
  const int n =
      choice < static_cast<int>(kBlockLengths.size()) ? kBlockLengths[choice] : 1 + data[1] % 300;
  const bool truncated = (data[0] & 8) != 0;
  data += 2;
  size -= 2;

  std::vector<uint8_t> multiplier(static_cast<size_t>(n), 0);
  const size_t taken = std::min(size, multiplier.size());
  std::memcpy(multiplier.data(), data, taken);
  data += taken;
  size -= taken;
  const size_t count = std::min<size_t>(size / static_cast<size_t>(n), 64);

  std::vector<uint8_t> fast(data, data + count * static_cast<size_t>(n));
  BlockMultiplier(multiplier.data(), n).Apply(fast.data(), count);

  FuzzPlatform platform;
  ProgramState s(platform);
  SetKeyTables(s, multiplier.data(), multiplier.data(), n);
  s.TruncatedProduct = truncated;

  for (size_t b = 0; b < count; ++b) {
    const uint8_t* block = data + b * static_cast<size_t>(n);
    const uint8_t* expected = fast.data() + b * static_cast<size_t>(n);
    // Both directions use the same schoolbook; the key halves are equal here.
    std::memcpy(s.PlainBlock.data(), block, static_cast<size_t>(n));
    MultiplyBlock(s, 0);
    StoreBlockResult(s, 0);
    Check(std::memcmp(s.CipherBlock.data(), expected, static_cast<size_t>(n)) == 0);
    std::memcpy(s.CipherBlock.data(), block, static_cast<size_t>(n));
    MultiplyBlock(s, 1);
    StoreBlockResult(s, 1);
    Check(std::memcmp(s.DecryptedBlock.data(), expected, static_cast<size_t>(n)) == 0);
    Check(s.PlainBlock[static_cast<size_t>(n)] == 0 && s.CipherBlock[static_cast<size_t>(n)] == 0);
  }
  return 0;
}
