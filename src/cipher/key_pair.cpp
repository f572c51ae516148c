// SPDX-License-Identifier: MIT
#include "cipher/key_pair.h"

#include "cipher/block_lengths.h"
#include "cipher/key_inverse.h"
#include "platform/file_system.h"

namespace marrowlock {

bool KeyPair::DecryptsWhatItEncrypts() const { return IsInversePair(pair, pal); }

KeyFileContents ReadKeyPair(const std::string& path) {
  File file = File::OpenRead(path);
  KeyFileContents contents;
  contents.length = file.Size();
  if (contents.length % 2 == 0 && IsBlockLength(contents.length / 2)) {
    const std::string bytes = file.Read(contents.length);
    const size_t n = static_cast<size_t>(contents.length / 2);
    KeyPair key;
    key.pair.assign(bytes.begin(), bytes.begin() + static_cast<long>(n));
    key.pal.assign(bytes.begin() + static_cast<long>(n), bytes.end());
    contents.key = std::move(key);
  }
  file.Close();
  return contents;
}

}  // namespace marrowlock
