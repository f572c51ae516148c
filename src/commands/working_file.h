// SPDX-License-Identifier: MIT
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

}  // namespace marrowlock
