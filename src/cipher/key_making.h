// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace marrowlock {

// The bytes of a new key with blocks of `block_length` bytes (one of kBlockLengths):
// Pair, a random odd number of that length, then Pal, its inverse modulo 256^N, so
// that whatever Pair encrypts Pal decrypts. Throws FileError when the random source
// fails, std::invalid_argument for a length a key cannot have.
std::vector<uint8_t> MakeKeyBytes(int block_length);

// Writes a new key (MakeKeyBytes) to `path`, readable by its owner only. An existing
// file of that name is never overwritten: that fails with a FileError for EEXIST.
// The file appears complete or not at all, and survives a power cut once written.
void WriteNewKeyFile(const std::string& path, int block_length);

}  // namespace marrowlock
