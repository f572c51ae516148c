// SPDX-License-Identifier: MIT
// Outputs that are not files: a socket named as an output is written into; links are
// followed to a FIFO only when they are the user's or root's, and another user's
// FIFO is never written into. Windows has neither; its NUL device has its test in
// file_system_windows_test.cpp.

#include "platform/node_output.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include <cstring>
#include <filesystem>
#include <future>

#include "platform/output_file.h"
#include "support/posix_only.h"
#include "support/program_run.h"
#include "support/temp_dir.h"

namespace marrowlock {
namespace {

namespace fs = std::filesystem;

#ifndef _WIN32
mode_t TypeOf(const std::string& path) {
  struct stat st;
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return st.st_mode & S_IFMT;
}

void WriteThroughOutputFile(const std::string& target, const std::string& bytes) {
  OutputFile out(target, Access::kPrivate);
  out.file().Write(bytes);
  out.Publish();
}

// Everything a reader of the FIFO `path` gets, read on another thread.
std::future<std::string> ReadFifo(const std::string& path) {
  return std::async(std::launch::async, [path] { return ReadFile(path); });
}
#endif

// The batch tests write into device nodes, FIFOs and standard output; these are
// the cases they cannot reach: a socket, and the links that are followed or not.
TEST(NodeOutputTest, SocketsAndTheUsersOwnLinksToAFifoAreWrittenInto) {
  MARROWLOCK_POSIX_ONLY(kFifos);
#ifndef _WIN32
  TempDir dir;
  ASSERT_EQ(::mkfifo("fifo", 0600), 0);
  // A link of the user's own that leads to the FIFO is followed to it.
  fs::create_symlink(dir / "fifo", "to-fifo");
  std::future<std::string> got = ReadFifo("fifo");
  WriteThroughOutputFile("to-fifo", "through the link");
  EXPECT_EQ(got.get(), "through the link");
  EXPECT_EQ(TypeOf("to-fifo"), S_IFLNK);

  int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socket_path = dir / "sock";
  ASSERT_LT(socket_path.size(), sizeof(address.sun_path));
  std::strcpy(address.sun_path, socket_path.c_str());
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  ASSERT_EQ(::listen(listener, 1), 0);
  std::future<std::string> received = std::async(std::launch::async, [listener] {
    int peer = ::accept(listener, nullptr, nullptr);
    std::string bytes;
    char buffer[256];
    for (ssize_t n; (n = ::read(peer, buffer, sizeof(buffer))) > 0;) bytes.append(buffer, n);
    ::close(peer);
    return bytes;
  });
  WriteThroughOutputFile("sock", "into the socket");
  EXPECT_EQ(received.get(), "into the socket");
  ::close(listener);
  EXPECT_EQ(TypeOf("sock"), S_IFSOCK);
#endif
}

TEST(NodeOutputTest, AnotherUsersNodesAreRefusedAndTheirLinksReplaced) {
  MARROWLOCK_POSIX_ONLY(kFifos);
#ifndef _WIN32
  TempDir dir;
  if (::geteuid() != 0) GTEST_SKIP() << "chown needs root";
  // Another user's FIFO in a folder that user can write to could be a trap.
  ASSERT_EQ(::mkfifo("trap", 0666), 0);
  ASSERT_EQ(::chown("trap", kOtherUser, kOtherUser), 0);
  try {
    OutputFile out("trap", Access::kPrivate);
    FAIL() << "another user's FIFO was opened as an output";
  } catch (const FileError& e) {
    EXPECT_STREQ(e.what(), "Cannot write trap: It belongs to another user.");
  }
  EXPECT_EQ(TypeOf("trap"), S_IFIFO);

  // Another user's link is not followed at all: it is replaced like a file.
  ASSERT_EQ(::mkfifo("mine", 0600), 0);
  fs::create_symlink(dir / "mine", "their-link");
  ASSERT_EQ(::lchown("their-link", kOtherUser, kOtherUser), 0);
  WriteThroughOutputFile("their-link", "replaces the link");
  EXPECT_EQ(TypeOf("their-link"), S_IFREG);
  EXPECT_EQ(ReadFile("their-link"), "replaces the link");
  EXPECT_EQ(TypeOf("mine"), S_IFIFO);
#endif
}

}  // namespace
}  // namespace marrowlock
