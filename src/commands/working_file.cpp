// SPDX-License-Identifier: MIT
#include "commands/working_file.h"

#include "platform/writeback.h"

namespace marrowlock {
namespace {

constexpr size_t kWritePiece = size_t{1} << 20;

}  // namespace

WorkingFile WorkingFile::Beside(const std::string& target, Access access) {
  WorkingFile out;
  out.kind_ = Kind::kBeside;
  out.access_ = access;
  out.beside_ = std::make_unique<OutputFile>(target, access);
  out.pending_.reserve(kWritePiece + 4096);
  return out;
}

WorkingFile WorkingFile::InMemory(Access access) {
  WorkingFile out;
  out.kind_ = Kind::kMemory;
  out.access_ = access;
  return out;
}

WorkingFile WorkingFile::Discarding() { return WorkingFile(); }

File& WorkingFile::file() { return beside_->file(); }

int64_t WorkingFile::Append(std::string_view bytes) {
  if (kind_ == Kind::kDiscard) return 0;
  if (kind_ == Kind::kBeside && pending_.empty() && bytes.size() >= kWritePiece) {
    // A whole piece or more (a batch run's buffer) goes to the file without a copy.
    WriteNow(bytes);
    return static_cast<int64_t>(bytes.size());
  }
  pending_.append(bytes);
  if (kind_ == Kind::kMemory) return 0;
  return pending_.size() >= kWritePiece ? Drain() : 0;
}

int64_t WorkingFile::Drain() {
  if (kind_ != Kind::kBeside || pending_.empty()) return 0;
  WriteNow(pending_);
  const int64_t written = static_cast<int64_t>(pending_.size());
  pending_.clear();
  return written;
}

void WorkingFile::WriteNow(std::string_view bytes) {
  file().Write(bytes);
  // The disk starts taking each piece at once, so that the sync before the output
  // takes its name finds little left to write.
  StartWriteback(file(), written_, static_cast<int64_t>(bytes.size()));
  written_ += static_cast<int64_t>(bytes.size());
}

void WorkingFile::Publish(const std::string& target) {
  if (kind_ == Kind::kMemory) {
    WriteFileReplacing(target, pending_, access_);
    return;
  }
  Drain();
  beside_->Publish();
}

}  // namespace marrowlock
