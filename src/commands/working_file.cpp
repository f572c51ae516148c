// SPDX-License-Identifier: MIT
#include "commands/working_file.h"

#include "platform/writeback.h"
#include "state/progress_display.h"

namespace marrowlock {
namespace {

constexpr size_t kWritePiece = size_t{1} << 20;
// How long one look at the folder lock waits before the window's events run again.
constexpr double kLockPollSeconds = 0.05;

}  // namespace

WorkingFile WorkingFile::InCurrentFolder(const std::string& name, Access access) {
  WorkingFile out;
  out.name_ = name;
  out.access_ = access;
  RemoveFile(name);
  out.file_ = File::CreateExclusive(name, access);
  out.pending_.reserve(kWritePiece + 4096);
  return out;
}

WorkingFile WorkingFile::Beside(const std::string& target, Access access) {
  WorkingFile out;
  out.access_ = access;
  out.beside_ = std::make_unique<OutputFile>(target, access);
  out.pending_.reserve(kWritePiece + 4096);
  return out;
}

File& WorkingFile::file() { return beside_ ? beside_->file() : file_; }

int64_t WorkingFile::Append(std::string_view bytes) {
  pending_.append(bytes);
  return pending_.size() >= kWritePiece ? Drain() : 0;
}

int64_t WorkingFile::Drain() {
  if (pending_.empty()) return 0;
  file().Write(pending_);
  const int64_t written = static_cast<int64_t>(pending_.size());
  // The disk starts taking each piece at once, so that the sync before the output
  // takes its name finds little left to write.
  StartWriteback(file(), written_, written);
  written_ += written;
  pending_.clear();
  return written;
}

void WorkingFile::Publish(const std::string& target) {
  Drain();
  if (beside_) {
    beside_->Publish();
    return;
  }
  PublishOpenFile(file_, name_, target, access_);
  file_.Close();
}

void WorkingFile::Close() {
  Drain();
  if (beside_) {
    beside_.reset();
  } else {
    file_.Close();
  }
}

bool LockWorkingFolder(ProgramState& s, FolderLock& lock) {
  if (lock.Take(0)) return true;
  StartProgress(s, "Waiting for another run in this folder to end.");
  while (!lock.Take(kLockPollSeconds)) {
    s.platform.ProcessEvents();
    if (s.AbortRequested) {
      s.AbortRequested = false;
      HideProgress(s);
      return false;
    }
  }
  return true;
}

}  // namespace marrowlock
