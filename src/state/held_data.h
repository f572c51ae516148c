// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace marrowlock {

// `BinaryData`: bytes held for a later save (a decryption's result, or a copied
// file). Small data lives in memory. A decryption instead backs it by the file it
// wrote its result into, which already holds the same bytes, so that the memory a
// result costs does not grow with its size; the held bytes are then the first size()
// bytes of that file. The backing file is held by an open descriptor, never reopened
// by name: it may have no name at all, and whatever is later put at a name it had,
// the held bytes are still the ones decrypted.
class HeldData {
 public:
  bool empty() const { return size_ == 0; }
  int64_t size() const { return size_; }
  bool IsFileBacked() const { return backing_ != nullptr; }
  // The bytes, when held in memory (empty when file-backed).
  const std::string& Memory() const { return memory_; }
  // The backing file, or nullptr for bytes held in memory.
  File* BackingFile() const { return backing_.get(); }

  // Forgets everything and returns to memory.
  void clear();
  // Appends bytes in memory. REQUIRES: !IsFileBacked().
  void Append(std::string_view bytes);
  // From now on the held bytes are the first size() bytes of `file`, which must be
  // open for reading; size() is 0.
  void BackByFile(File file);
  // The backing file has grown by `count` bytes that now belong to the held data.
  void GrowBacked(int64_t count);
  // Writes all held bytes to `out` in pieces, reading a backing file piece by piece.
  // `after_piece`, when given, is called after each piece with the bytes written so far.
  void WriteTo(File& out, const std::function<void(int64_t written)>& after_piece = {}) const;

 private:
  std::string memory_;
  std::shared_ptr<File> backing_;
  int64_t size_ = 0;
};

}  // namespace marrowlock
