// SPDX-License-Identifier: MIT
#include "platform/node_output.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/paths.h"

namespace marrowlock {
namespace {

// Links followed on the way to a device, FIFO or socket; /dev/stdout takes two.
constexpr int kMostLinks = 8;

bool OwnedByUserOrRoot(const struct stat& st) { return st.st_uid == ::geteuid() || st.st_uid == 0; }

// The descriptor number when `path` names an entry of this process's descriptor
// folder (/proc/<pid>/fd/N, also reached as /proc/self/fd/N or /dev/fd/N).
std::optional<int> OwnDescriptorEntry(const std::string& path) {
  const std::string folder = FolderPart(path);
  if (folder.empty()) return std::nullopt;
  char real[PATH_MAX];
  if (::realpath(folder.c_str(), real) == nullptr) return std::nullopt;
  if (std::string(real) != "/proc/" + std::to_string(::getpid()) + "/fd") return std::nullopt;
  const std::string number = FileNamePart(path);
  if (number.empty() || number.size() > 9 ||
      number.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  return std::stoi(number);
}

std::optional<std::string> LinkText(const std::string& path) {
  char text[PATH_MAX];
  ssize_t length = ::readlink(path.c_str(), text, sizeof(text));
  if (length <= 0 || length == static_cast<ssize_t>(sizeof(text))) return std::nullopt;
  std::string target(text, static_cast<size_t>(length));
  if (target.front() == '/') return target;
  return FolderPart(path) + target;
}

// A unix socket cannot be opened; it is connected to.
int ConnectSocket(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof(address.sun_path)) {
    errno = ENAMETOOLONG;
    return -1;
  }
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
    int e = errno;
    ::close(fd);
    errno = e;
    return -1;
  }
  return fd;
}

File OpenNode(const std::string& target, const std::string& path, const struct stat& seen) {
  int fd = S_ISSOCK(seen.st_mode)
               ? ConnectSocket(path)
               : ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) throw FileError("open", target, errno);
  // The node must still be the one that was checked, not something swapped in.
  struct stat opened;
  if (!S_ISSOCK(seen.st_mode) &&
      (::fstat(fd, &opened) != 0 || opened.st_dev != seen.st_dev || opened.st_ino != seen.st_ino)) {
    ::close(fd);
    throw FileError("open", target, "It was replaced while it was opened");
  }
  return File::Adopt(fd, target);
}

}  // namespace

std::optional<File> OpenNodeOutput(const std::string& target) {
  std::string path = target;
  for (int link = 0; link <= kMostLinks; ++link) {
    if (std::optional<int> descriptor = OwnDescriptorEntry(path)) {
      int fd = ::fcntl(*descriptor, F_DUPFD_CLOEXEC, 0);
      if (fd < 0) throw FileError("open", target, errno);
      return File::Adopt(fd, target);
    }
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
    if (S_ISLNK(st.st_mode)) {
      if (!OwnedByUserOrRoot(st)) return std::nullopt;
      std::optional<std::string> next = LinkText(path);
      if (!next) return std::nullopt;
      path = *next;
      continue;
    }
    if (S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)) return std::nullopt;
    if (S_ISBLK(st.st_mode)) throw FileError("write", target, "It is a block device");
    if (!OwnedByUserOrRoot(st)) throw FileError("write", target, "It belongs to another user");
    return OpenNode(target, path, st);
  }
  return std::nullopt;
}

}  // namespace marrowlock
