// SPDX-License-Identifier: MIT
#include "platform/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace marrowlock {
namespace {

// flock locks belong to an open file description: a second lock taken by this same
// process through another descriptor would wait for itself forever.
int lock_depth = 0;

}  // namespace

FolderLock::FolderLock() {
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

FolderLock::~FolderLock() {
  --lock_depth;
  // Closing the descriptor releases the lock.
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace marrowlock
