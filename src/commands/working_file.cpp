// SPDX-License-Identifier: MIT
#include "commands/working_file.h"

namespace marrowlock {
namespace {

constexpr size_t kWritePiece = size_t{1} << 20;

}  // namespace

WorkingFile::WorkingFile(const std::string& path, unsigned mode) {
  // Removed first, so that a new file gets `mode` even when an older one had another.
  RemoveFile(path);
  file_ = File::Create(path, mode);
  pending_.reserve(kWritePiece + 4096);
}

int64_t WorkingFile::Append(std::string_view bytes) {
  pending_.append(bytes);
  return pending_.size() >= kWritePiece ? Drain() : 0;
}

int64_t WorkingFile::Drain() {
  if (pending_.empty()) return 0;
  file_.Write(pending_);
  int64_t written = static_cast<int64_t>(pending_.size());
  pending_.clear();
  return written;
}

void WorkingFile::Close() {
  Drain();
  file_.Close();
}

}  // namespace marrowlock
