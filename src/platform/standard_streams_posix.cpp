// SPDX-License-Identifier: MIT
#include "platform/standard_streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace marrowlock {
namespace {

File Duplicate(int fd, const std::string& name) {
  int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
  if (copy < 0) throw FileError("open", name, errno);
  return File::Adopt(copy, name);
}

}  // namespace

File StandardInput() { return Duplicate(0, "standard input"); }

File StandardOutput() { return Duplicate(1, "standard output"); }

File OpenStream(const std::string& path) {
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) throw FileError("open", path, errno);
  File file = File::Adopt(fd, path);
  struct stat info;
  if (::fstat(fd, &info) != 0) throw FileError("open", path, errno);
  if (S_ISDIR(info.st_mode)) throw FileError("open", path, EISDIR);
  return file;
}

}  // namespace marrowlock
