// SPDX-License-Identifier: MIT
#include "platform/random.h"

#include <fcntl.h>
#include <unistd.h>
#if MARROWLOCK_LINUX_FEATURES
#include <sys/random.h>
#endif

#include <cerrno>

#include "platform/file_system.h"

namespace marrowlock {
namespace {

constexpr char kDevice[] = "/dev/urandom";

// Kernels without getrandom(2) still have the device.
void ReadDevice(uint8_t* bytes, size_t count) {
  int fd = ::open(kDevice, O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw FileError("open", kDevice, errno);
  File device = File::Adopt(fd, kDevice);
  device.ReadInto(reinterpret_cast<char*>(bytes), static_cast<int64_t>(count));
}

}  // namespace

void FillRandom(uint8_t* bytes, size_t count) {
#if MARROWLOCK_LINUX_FEATURES
  size_t done = 0;
  while (done < count) {
    ssize_t got = ::getrandom(bytes + done, count - done, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && errno == ENOSYS) return ReadDevice(bytes + done, count - done);
    if (got < 0) throw FileError("read", "the random source", errno);
    done += static_cast<size_t>(got);
  }
#else
  // Every POSIX system has the device (macOS's getentropy gives 256 bytes a call).
  ReadDevice(bytes, count);
#endif
}

}  // namespace marrowlock
