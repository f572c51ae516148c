// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace marrowlock {

// Key file layout (".mlk"): exactly 2N bytes, no header.
//   offset 0  N bytes  Pair, the encrypting multiplier, big-endian
//   offset N  N bytes  Pal, the decrypting multiplier, big-endian
// The length alone gives N: 2, 4, 8, 16, 32 or 512 bytes for N = 1, 2, 4, 8, 16, 256.

// The two numbers of a key file: Pair encrypts, Pal decrypts; N bytes each, most
// significant first.
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

// Forces the extension "mlk" on the file-name part of a key name, as the program
// does before it looks a key up: the first dot of the file name starts the extension
// ("my.old.key" opens "my.mlk"), except a leading dot, which belongs to the name. An
// extension that already reads "mlk" in any case is left alone, since on this file
// system "KEY.MLK" and "KEY.mlk" are two files.
std::string ForceKeyExtension(const std::string& name);

}  // namespace marrowlock
