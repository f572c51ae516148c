#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace marrowlock {

// A working file ("default.enc", "default.dec") that receives a command's output at
// every flush. The flushed bytes are collected and written in large pieces; Drain
// writes whatever is collected, so after it the file holds every flushed byte, as if
// each flush had been written on its own.
class WorkingFile {
 public:
  // Replaces any file of that name by a new, empty one. Throws FileError.
  WorkingFile(const std::string& path, unsigned mode);

  // Takes the bytes of one flush. Returns how many bytes this call wrote to the
  // file (0 while they are only collected).
  int64_t Append(std::string_view bytes);
  // Writes everything collected; returns how many bytes that was.
  int64_t Drain();
  void Close();

 private:
  File file_;
  std::string pending_;
};

// Serialises the runs that use the working files of the current folder: two programs
// started in the same folder at once would otherwise write "default.enc" or
// "default.dec" over each other. Holds an exclusive advisory lock (flock) on the
// folder itself, so no lock file is left behind; a second run waits here until the
// first lets go. Nested holders in one process share the lock. Where the folder
// cannot be locked (a file system without flock) the run goes on unlocked.
class WorkingFolderLock {
 public:
  WorkingFolderLock();
  ~WorkingFolderLock();
  WorkingFolderLock(const WorkingFolderLock&) = delete;
  WorkingFolderLock& operator=(const WorkingFolderLock&) = delete;

 private:
  int fd_ = -1;
};

// Marks a long command as running for its whole life (so the window starts no second
// command while events run) and restores the previous mark on every way out.
class CommandRunningMark {
 public:
  explicit CommandRunningMark(bool& flag) : flag_(flag), previous_(flag) { flag_ = true; }
  ~CommandRunningMark() { flag_ = previous_; }
  CommandRunningMark(const CommandRunningMark&) = delete;
  CommandRunningMark& operator=(const CommandRunningMark&) = delete;

 private:
  bool& flag_;
  bool previous_;
};

}  // namespace marrowlock
