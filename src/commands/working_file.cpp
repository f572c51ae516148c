#include "commands/working_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace marrowlock {
namespace {

constexpr size_t kWritePiece = size_t{1} << 20;

// flock locks belong to an open file description: a second lock taken by this same
// process through another descriptor would wait for itself forever.
int lock_depth = 0;

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

WorkingFolderLock::WorkingFolderLock() {
  if (lock_depth++ > 0) return;
  fd_ = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) return;
  while (::flock(fd_, LOCK_EX) != 0) {
    if (errno == EINTR) continue;
    ::close(fd_);
    fd_ = -1;
    return;
  }
}

WorkingFolderLock::~WorkingFolderLock() {
  --lock_depth;
  // Closing the descriptor releases the lock.
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace marrowlock
