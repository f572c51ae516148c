// SPDX-License-Identifier: MIT
#pragma once

namespace marrowlock {

// Serialises the runs that use the working files of the current folder: two programs
// started in the same folder at once would otherwise write "default.enc" or
// "default.dec" over each other. Holds an exclusive advisory lock (flock) on the
// folder itself, so no lock file is left behind; a second run waits here until the
// first lets go. Nested holders in one process share the lock. Where the folder
// cannot be locked (a file system without flock) the run goes on unlocked.
class FolderLock {
 public:
  FolderLock();
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  int fd_ = -1;
};

}  // namespace marrowlock
