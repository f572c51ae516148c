// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace marrowlock {

// What makes a file itself, whatever names lead to it: its device and inode.
struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  auto operator<=>(const FileIdentity&) const = default;
};

// The identity of the file that `path` leads to (links followed), or nothing when
// there is no such file.
std::optional<FileIdentity> IdentityOf(const std::string& path);

// The identity of the regular file open on descriptor `fd` (0 for standard input, 1
// for standard output), or nothing when it is anything else: a pipe, a terminal, a
// device, or no open file at all. Only a regular file can be read and written over.
std::optional<FileIdentity> RegularFileIdentityOn(int fd);

// What holds a name, the name itself looked at (a link is not followed).
enum class NameHolder {
  kNothing,           // no such name, or none that can be looked at
  kOwnFile,           // a regular file of the user's own
  kAnotherUsersFile,  // a regular file that belongs to someone else
  kNotAFile,          // a link, a folder, a FIFO, a device or a socket
};
NameHolder HolderOf(const std::string& path);

}  // namespace marrowlock
