// SPDX-License-Identifier: MIT
#pragma once

namespace marrowlock {

// Serialises the window runs that use the working files of the current folder: two
// programs started in the same folder at once would otherwise write "default.enc" or
// "default.dec" over each other. It is an exclusive advisory lock (flock) on the
// folder itself, so no lock file is left behind. Nested holders in one process share
// the lock. A run never goes on unlocked: a folder that cannot be opened or locked
// is a failure, reported to the user.
class FolderLock {
 public:
  // Opens the current folder for locking. Throws FileError, for example
  // "Cannot lock the folder /srv/drop: Permission denied." for a folder whose
  // entries we may not read.
  FolderLock();
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  // Tries to take the lock, waiting at most `seconds` while another process holds
  // it; true once it is held (at once for a holder nested in one that holds it).
  // Throws FileError when the file system cannot lock.
  bool Take(double seconds);

 private:
  int fd_ = -1;
  bool held_ = false;
  bool nested_ = false;
};

}  // namespace marrowlock
