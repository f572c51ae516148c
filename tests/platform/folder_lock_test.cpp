// SPDX-License-Identifier: MIT
// The folder lock of window runs is never skipped: it waits as long as it is told
// while another process holds it, and a folder that cannot be locked is a failure.

#include "platform/folder_lock.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#include "platform/file_system.h"
#include "support/program_run.h"
#include "support/temp_dir.h"

namespace marrowlock {
namespace {

// The lock as another process would hold it: a descriptor of its own.
int HoldLock(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  EXPECT_EQ(::flock(fd, LOCK_EX), 0);
  return fd;
}

TEST(FolderLockTest, WaitsOnlyAsLongAsItIsToldWhileAnotherHoldsTheLock) {
  TempDir dir;
  int other = HoldLock(".");
  FolderLock lock;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(lock.Take(0.2));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
  ::close(other);
  EXPECT_TRUE(lock.Take(0.2));

  // While it is held, a holder nested in the same process shares it at once, and
  // another process waits.
  FolderLock nested;
  EXPECT_TRUE(nested.Take(0));
  int again = ::open(".", O_RDONLY | O_DIRECTORY);
  EXPECT_NE(::flock(again, LOCK_EX | LOCK_NB), 0);
  ::close(again);
}

// A folder we may enter but not read (mode 0333) cannot be opened to be locked: the
// run is refused with the reason, never let through unlocked.
TEST(FolderLockTest, AFolderThatCannotBeOpenedIsAFailureNotASkippedLock) {
  TempDir dir;
  if (!WhyNoOtherUser().empty()) GTEST_SKIP() << WhyNoOtherUser();
  ::chmod(dir.path().c_str(), 0755);
  ::mkdir("dropbox", 0333);
  ::chmod("dropbox", 0333);
  int report[2];
  ASSERT_EQ(::pipe(report), 0);
  pid_t child = ::fork();
  if (child == 0) {
    ::close(report[0]);
    if (::setgroups(0, nullptr) != 0 || ::setgid(kOtherUser) != 0 || ::setuid(kOtherUser) != 0 ||
        ::chdir("dropbox") != 0) {
      ::_exit(2);
    }
    std::string message = "no failure";
    try {
      FolderLock lock;
      lock.Take(0);
    } catch (const FileError& e) {
      message = e.what();
    }
    ::write(report[1], message.data(), message.size());
    ::_exit(0);
  }
  ::close(report[1]);
  std::string message;
  char buffer[512];
  for (ssize_t n; (n = ::read(report[0], buffer, sizeof(buffer))) > 0;) message.append(buffer, n);
  ::close(report[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(message, "Cannot lock the folder " + (dir / "dropbox") + ": Permission denied.");
}

}  // namespace
}  // namespace marrowlock
