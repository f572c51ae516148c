// SPDX-License-Identifier: MIT
#include "state/held_data.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace marrowlock {

void HeldData::clear() {
  memory_.clear();
  memory_.shrink_to_fit();
  backing_.reset();
  size_ = 0;
}

void HeldData::Append(std::string_view bytes) {
  memory_.append(bytes);
  size_ += static_cast<int64_t>(bytes.size());
}

void HeldData::BackByFile(File file) {
  clear();
  backing_ = std::make_shared<File>(std::move(file));
}

void HeldData::GrowBacked(int64_t count) { size_ += count; }

void HeldData::WriteTo(File& out, const std::function<void(int64_t written)>& after_piece) const {
  // Pieces small enough that a caller showing progress can keep its window answering.
  constexpr int64_t kPiece = int64_t{1} << 20;
  std::vector<char> buffer;
  if (IsFileBacked()) buffer.resize(static_cast<size_t>(std::min(kPiece, size_)));
  for (int64_t done = 0; done < size_;) {
    const int64_t piece = std::min(size_ - done, kPiece);
    if (IsFileBacked()) {
      backing_->ReadIntoAt(buffer.data(), piece, done);
      out.Write(std::string_view(buffer.data(), static_cast<size_t>(piece)));
    } else {
      out.Write(
          std::string_view(memory_).substr(static_cast<size_t>(done), static_cast<size_t>(piece)));
    }
    done += piece;
    if (after_piece) after_piece(done);
  }
}

}  // namespace marrowlock
