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
  FillRandom(key.data(), key.size());
  key.back() |= 1;  // only an odd multiplier can be undone
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
