// SPDX-License-Identifier: MIT
#include "platform/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_system.h"

namespace marrowlock {
namespace {

// flock locks belong to an open file description: a second lock taken by this same
// process through another descriptor would wait for itself forever.
int lock_depth = 0;

constexpr long kPollNanoseconds = 10'000'000;

double Now() {
  timespec t;
  ::clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

FileError LockError(int error_number) {
  std::string folder = ".";
  try {
    folder = WorkingDirectory();
  } catch (const FileError&) {
  }
  return FileError("lock the folder", folder, error_number);
}

}  // namespace

FolderLock::FolderLock() {
  if (lock_depth > 0) {
    nested_ = true;
    return;
  }
  fd_ = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) throw LockError(errno);
}

FolderLock::~FolderLock() {
  if (held_) --lock_depth;
  // Closing the descriptor releases the lock.
  if (fd_ >= 0) ::close(fd_);
}

bool FolderLock::Take(double seconds) {
  if (held_) return true;
  if (nested_) {
    held_ = true;
    ++lock_depth;
    return true;
  }
  const double deadline = Now() + seconds;
  for (;;) {
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
      held_ = true;
      ++lock_depth;
      return true;
    }
    if (errno != EWOULDBLOCK && errno != EINTR) throw LockError(errno);
    if (Now() >= deadline) return false;
    timespec pause{0, kPollNanoseconds};
    ::nanosleep(&pause, nullptr);
  }
}

}  // namespace marrowlock
