#include "app/held_data.h"

#include <vector>

namespace marrowlock {

void HeldData::clear() {
  memory_.clear();
  memory_.shrink_to_fit();
  backing_path_.clear();
  size_ = 0;
}

void HeldData::Append(std::string_view bytes) {
  memory_.append(bytes);
  size_ += static_cast<int64_t>(bytes.size());
}

void HeldData::BackByFile(const std::string& absolute_path) {
  clear();
  backing_path_ = absolute_path;
}

void HeldData::GrowBacked(int64_t count) { size_ += count; }

void HeldData::WriteTo(File& out) const {
  if (!IsFileBacked()) {
    out.Write(memory_);
    return;
  }
  File in = File::OpenRead(backing_path_);
  std::vector<char> buffer(1 << 20);
  int64_t left = size_;
  while (left > 0) {
    int64_t piece = std::min<int64_t>(left, static_cast<int64_t>(buffer.size()));
    in.ReadInto(buffer.data(), piece);
    out.Write(std::string_view(buffer.data(), static_cast<size_t>(piece)));
    left -= piece;
  }
  in.Close();
}

}  // namespace marrowlock
