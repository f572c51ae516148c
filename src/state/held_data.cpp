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

void HeldData::WriteTo(File& out) const {
  if (!IsFileBacked()) {
    out.Write(memory_);
    return;
  }
  std::vector<char> buffer(1 << 20);
  for (int64_t done = 0; done < size_;) {
    int64_t piece = std::min<int64_t>(size_ - done, static_cast<int64_t>(buffer.size()));
    backing_->ReadIntoAt(buffer.data(), piece, done);
    out.Write(std::string_view(buffer.data(), static_cast<size_t>(piece)));
    done += piece;
  }
}

}  // namespace marrowlock
