// SPDX-License-Identifier: MIT
#include "platform/file_identity.h"

#include <sys/stat.h>
#include <unistd.h>

namespace marrowlock {

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return FileIdentity{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
}

std::optional<FileIdentity> RegularFileIdentityOn(int fd) {
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return FileIdentity{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
}

NameHolder HolderOf(const std::string& path) {
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0) return NameHolder::kNothing;
  if (!S_ISREG(info.st_mode)) return NameHolder::kNotAFile;
  return info.st_uid == ::geteuid() ? NameHolder::kOwnFile : NameHolder::kAnotherUsersFile;
}

}  // namespace marrowlock
