// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace marrowlock {

// The two numbers of a key file (layout in key_file.cpp): Pair encrypts, Pal
// decrypts; N bytes each, most significant first.
struct KeyPair {
  std::vector<uint8_t> pair;
  std::vector<uint8_t> pal;

  int BlockLength() const { return static_cast<int>(pair.size()); }
  // Whether Pal undoes Pair, so that the key decrypts what it encrypts.
  bool DecryptsWhatItEncrypts() const;
};

// What a key file holds: its length, and its key when that length is a key file's
// (2N bytes for one of the block lengths N); any other length gives no key.
struct KeyFileContents {
  int64_t length = 0;
  std::optional<KeyPair> key;
};

// Reads the key file at `path` exactly as named: no extension is forced and no key
// folder applied. Throws FileError when the file cannot be opened or read.
KeyFileContents ReadKeyPair(const std::string& path);

}  // namespace marrowlock
