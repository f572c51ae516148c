// SPDX-License-Identifier: MIT
#include "cipher/key_pair.h"

#include "cipher/block_lengths.h"
#include "cipher/key_inverse.h"
#include "platform/file_system.h"
#include "platform/paths.h"

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

std::string ForceKeyExtension(const std::string& name) {
  const std::string folder = FolderPart(name);
  const std::string file = FileNamePart(name);
  const size_t first = file.find_first_not_of('.');
  const size_t dot = first == std::string::npos ? std::string::npos : file.find('.', first);
  if (dot == std::string::npos) return name + ".mlk";
  if (dot + 1 == file.size()) return name + "mlk";
  if (AsciiLower(file.substr(dot + 1)) == "mlk") return name;
  return folder + file.substr(0, dot + 1) + "mlk";
}

}  // namespace marrowlock
