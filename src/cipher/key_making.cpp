// SPDX-License-Identifier: MIT
#include "cipher/key_making.h"

#include <stdexcept>
#include <string_view>

#include "cipher/block_lengths.h"
#include "cipher/key_inverse.h"
#include "platform/output_file.h"
#include "platform/random.h"

namespace marrowlock {

std::vector<uint8_t> MakeKeyBytes(int block_length) {
  if (!IsBlockLength(block_length)) throw std::invalid_argument("not a block length of a key");
  std::vector<uint8_t> key(static_cast<size_t>(block_length));
  // Only an odd multiplier can be undone, and the multiplier 1 would leave every
  // block as it was: for N = 1 one key in 128 would then "encrypt" nothing.
  const auto is_one = [&key] {
    for (size_t i = 0; i + 1 < key.size(); ++i) {
      if (key[i] != 0) return false;
    }
    return key.back() == 1;
  };
  do {
    FillRandom(key.data(), key.size());
    key.back() |= 1;
  } while (is_one());
  std::vector<uint8_t> pal = InverseModBlock(key);
  key.insert(key.end(), pal.begin(), pal.end());
  return key;
}

void WriteNewKeyFile(const std::string& path, int block_length) {
  std::vector<uint8_t> key = MakeKeyBytes(block_length);
  OutputFile out(path, Access::kPrivate);
  out.file().Write(std::string_view(reinterpret_cast<const char*>(key.data()), key.size()));
  out.Publish(OutputFile::Existing::kKeep);
}

}  // namespace marrowlock
