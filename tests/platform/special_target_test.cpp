// Outputs that are not files: devices, FIFOs and sockets named as an output are
// written into and stay what they were; links are replaced, never followed, unless
// they lead (through the user's or root's links) to such a thing.

#include "platform/special_target.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <future>

#include "platform/output_file.h"
#include "support/program_run.h"
#include "support/temp_dir.h"

namespace marrowlock {
namespace {

namespace fs = std::filesystem;

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

TEST(SpecialTargetTest, DevicesFifosAndSocketsAreWrittenIntoAndStayWhatTheyWere) {
  TempDir dir;
  if (::geteuid() != 0) GTEST_SKIP() << "mknod of a character device needs root";
  // A node of the null device in the test folder, so the system's own is never at stake.
  ASSERT_EQ(::mknod("null", S_IFCHR | 0666, makedev(1, 3)), 0);
  WriteThroughOutputFile("null", "plain text");
  EXPECT_EQ(TypeOf("null"), S_IFCHR);

  ASSERT_EQ(::mkfifo("fifo", 0600), 0);
  std::future<std::string> got = ReadFifo("fifo");
  WriteThroughOutputFile("fifo", "through the pipe");
  EXPECT_EQ(got.get(), "through the pipe");
  EXPECT_EQ(TypeOf("fifo"), S_IFIFO);

  // A link of the user's own that leads to the FIFO is followed to it.
  fs::create_symlink(dir / "fifo", "to-fifo");
  got = ReadFifo("fifo");
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
}

TEST(SpecialTargetTest, BlockDevicesAndOtherUsersNodesAreRefusedUntouched) {
  TempDir dir;
  if (::geteuid() != 0) GTEST_SKIP() << "mknod and chown need root";
  ASSERT_EQ(::mknod("disk", S_IFBLK | 0600, makedev(7, 0)), 0);
  try {
    OutputFile out("disk", Access::kPrivate);
    FAIL() << "a block device was opened as an output";
  } catch (const FileError& e) {
    EXPECT_STREQ(e.what(), "Cannot write disk: It is a block device.");
  }
  EXPECT_EQ(TypeOf("disk"), S_IFBLK);

  // Another user's FIFO in a folder that user can write to could be a trap.
  ASSERT_EQ(::mkfifo("trap", 0666), 0);
  ASSERT_EQ(::chown("trap", kOtherUser, kOtherUser), 0);
  EXPECT_THROW(OutputFile("trap", Access::kPrivate), FileError);
  EXPECT_EQ(TypeOf("trap"), S_IFIFO);

  // Another user's link is not followed at all: it is replaced like a file.
  ASSERT_EQ(::mkfifo("mine", 0600), 0);
  fs::create_symlink(dir / "mine", "their-link");
  ASSERT_EQ(::lchown("their-link", kOtherUser, kOtherUser), 0);
  WriteThroughOutputFile("their-link", "replaces the link");
  EXPECT_EQ(TypeOf("their-link"), S_IFREG);
  EXPECT_EQ(ReadFile("their-link"), "replaces the link");
  EXPECT_EQ(TypeOf("mine"), S_IFIFO);
}

TEST(SpecialTargetTest, LinksToFilesAreReplacedNeverFollowed) {
  TempDir dir;
  WriteFile("victim", "must stay");
  fs::create_symlink(dir / "victim", "link.dec");
  fs::create_symlink(dir / "nowhere", "dangling.dec");
  EXPECT_FALSE(OpenSpecialTarget("link.dec"));
  EXPECT_FALSE(OpenSpecialTarget("missing.dec"));
  WriteThroughOutputFile("link.dec", "new");
  WriteThroughOutputFile("dangling.dec", "new too");
  EXPECT_EQ(ReadFile("victim"), "must stay");
  EXPECT_EQ(TypeOf("link.dec"), S_IFREG);
  EXPECT_EQ(ReadFile("dangling.dec"), "new too");
  EXPECT_FALSE(FileExists("nowhere"));
}

// "/dev/stdout" and its kin lead to a descriptor of the program itself: whatever
// standard output is, a pipe or a file, the bytes go there.
TEST(SpecialTargetTest, NamesOfTheProgramsOwnDescriptorsWriteThroughThem) {
  TempDir dir;
  int pipe_ends[2];
  ASSERT_EQ(::pipe(pipe_ends), 0);
  pid_t child = ::fork();
  if (child == 0) {
    ::dup2(pipe_ends[1], 1);
    ::close(pipe_ends[0]);
    ::close(pipe_ends[1]);
    try {
      WriteThroughOutputFile("/dev/stdout", "via /dev/stdout, ");
      WriteThroughOutputFile("/proc/self/fd/1", "via /proc/self/fd/1");
    } catch (...) {
      ::_exit(1);
    }
    ::_exit(0);
  }
  ::close(pipe_ends[1]);
  std::string got;
  char buffer[256];
  for (ssize_t n; (n = ::read(pipe_ends[0], buffer, sizeof(buffer))) > 0;) got.append(buffer, n);
  ::close(pipe_ends[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(got, "via /dev/stdout, via /proc/self/fd/1");
}

}  // namespace
}  // namespace marrowlock
