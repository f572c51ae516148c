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
  bool operator==(const FileIdentity&) const = default;
};

// The identity of the file that `path` leads to (links followed), or nothing when
// there is no such file.
std::optional<FileIdentity> IdentityOf(const std::string& path);

}  // namespace marrowlock
