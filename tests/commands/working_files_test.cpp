// SPDX-License-Identifier: MIT
// The working files of window runs ("default.enc", "default.dec") tried as an
// attacker and an unlucky user would: links planted at every name a run creates, a
// second user swapping links in while runs go on, another run holding the folder,
// and a log that cannot be written.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "commands/command_fixture.h"
#include "files/decrypted_output.h"
#include "support/link_swapper.h"
#include "support/program_run.h"

namespace marrowlock {
namespace {

namespace fs = std::filesystem;

const std::string kVictim = "a private file of the user, never to be touched";
const std::string kSecret = "SECRET-PLAINTEXT ";

class WorkingFilesTest : public CommandTest {
 protected:
  void SetUp() override {
    UseKey(16);
    BinaryMode();
    fs::create_directory("private");
    ::chmod("private", 0700);
    victim = dir / "private/victim";
    WriteFile(victim, kVictim);
    ::chmod(victim.c_str(), 0600);
  }

  std::string Encrypted(const std::string& plain) {
    return ReferenceTransform(ReferenceFraming(plain, 16, true), key.pair);
  }

  std::string victim;
};

mode_t TypeOf(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 ? (st.st_mode & S_IFMT) : 0;
}

TEST_F(WorkingFilesTest, LinksPlantedAtEveryNameARunCreatesAreNeverFollowed) {
  const std::string plain = kSecret + PatternBytes(5000, 1);
  WriteFile("a.bin", plain);
  for (const char* name : {"default.enc", "a.enc", "default.dec", "a.dec"}) {
    fs::create_symlink(victim, name);
  }
  s.EncryptSourceName = "a.bin";
  EncryptCommand(s);
  EXPECT_TRUE(platform.messages.empty()) << platform.messages[0];
  EXPECT_EQ(TypeOf("a.enc"), S_IFREG);
  EXPECT_EQ(ReadFile("a.enc"), Encrypted(plain));
  EXPECT_FALSE(FileExists("default.enc"));

  s.DecryptSourceName = "a.enc";
  DecryptCommand(s);
  EXPECT_TRUE(platform.messages.empty()) << platform.messages[0];
  EXPECT_EQ(TypeOf("default.dec"), S_IFREG);
  EXPECT_EQ(TypeOf("a.dec"), S_IFREG);
  EXPECT_TRUE(ReadFile("a.dec").starts_with(plain));
  EXPECT_EQ(ReadFile(victim), kVictim);
}

// Decrypted data is the owner's only, whatever the umask; encrypted data follows it.
TEST_F(WorkingFilesTest, PlaintextIsOwnerOnlyUnderAnyUmask) {
  WriteFile("a.bin", kSecret);
  const mode_t old_mask = ::umask(0);
  s.EncryptSourceName = "a.bin";
  EncryptCommand(s);
  s.DecryptSourceName = "a.enc";
  DecryptCommand(s);
  ::umask(old_mask);
  for (const char* name : {"default.dec", "a.dec"}) {
    struct stat st;
    ASSERT_EQ(::stat(name, &st), 0) << name;
    EXPECT_EQ(st.st_mode & 0777, 0600u) << name;
  }
  struct stat st;
  ASSERT_EQ(::stat("a.enc", &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0666u);
}

// A result held for Rename is read through the working file's own descriptor: what
// another run later puts at the name "default.dec" is not what gets saved.
TEST_F(WorkingFilesTest, AHeldResultIsTheOneDecryptedWhateverIsLaterAtTheWorkingName) {
  const std::string plain = kSecret + PatternBytes(3000, 2);
  WriteFile("a.enc", Encrypted(plain));
  s.DecryptSourceName = "a.enc";
  DecryptCommand(s);
  fs::remove("default.dec");
  fs::create_symlink(victim, "default.dec");
  platform.input_answers = {"again.dec"};
  RenameCommand(s);
  EXPECT_TRUE(ReadFile("again.dec").starts_with(plain));
  EXPECT_EQ(ReadFile(victim), kVictim);
}

// The source, and so the output, lies on another file system than the working file:
// the output is a copy, made beside it, that takes its name once complete.
TEST_F(WorkingFilesTest, AnOutputOnAnotherFileSystemGetsAWholeCopy) {
  struct stat here, shm;
  if (::stat("/dev/shm", &shm) != 0 || ::stat(".", &here) != 0 || here.st_dev == shm.st_dev) {
    GTEST_SKIP() << "no second file system (/dev/shm) to write to";
  }
  char pattern[] = "/dev/shm/marrowlock-test-XXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  const std::string other = pattern;
  WriteFile(other + "/a.bin", kSecret);
  WriteFile(other + "/a.enc", "the old output");
  s.EncryptSourceName = other + "/a.bin";
  EncryptCommand(s);
  EXPECT_TRUE(platform.messages.empty()) << platform.messages[0];
  EXPECT_EQ(ReadFile(other + "/a.enc"), Encrypted(kSecret));
  EXPECT_FALSE(FileExists("default.enc"));
  fs::remove_all(other);
}

// Named first, logged after: a log that cannot be written costs only its record, and
// a result that could not be saved is not logged.
TEST_F(WorkingFilesTest, AResultIsNamedBeforeItIsLogged) {
  WriteFile("a.bin", kSecret);
  fs::create_symlink(victim, "log.txt");
  s.LogPath = dir / "log.txt";
  s.EncryptSourceName = "a.bin";
  EncryptCommand(s);
  EXPECT_EQ(platform.messages, std::vector<std::string>{"Cannot open " + (dir / "log.txt") +
                                                        ": Too many levels of symbolic links."});
  EXPECT_EQ(ReadFile("a.enc"), Encrypted(kSecret));
  EXPECT_EQ(ReadFile(victim), kVictim);

  // The decrypted output's name is a folder: no name, so no record.
  s.LogPath = dir / "real-log.txt";
  fs::create_directory("a.dec");
  s.DecryptSourceName = "a.enc";
  DecryptCommand(s);
  EXPECT_EQ(platform.messages.back().rfind("Cannot write a.dec: ", 0), 0u);
  EXPECT_FALSE(FileExists(dir / "real-log.txt"));

  // In batch mode the log's failure ends the run with a failure, the output named.
  s.LogPath = dir / "log.txt";
  fs::remove("a.enc");
  s.BatchMode = true;
  s.EncryptSourceName = "a.bin";
  EXPECT_EQ(ExitStatusOf(EncryptCommand), kExitFailure);
  EXPECT_EQ(ReadFile("a.enc"), Encrypted(kSecret));
}

// The lock as another program holds it.
int HoldFolderLock() {
  int fd = ::open(".", O_RDONLY | O_DIRECTORY);
  ::flock(fd, LOCK_EX);
  return fd;
}

TEST_F(WorkingFilesTest, ARunWaitsVisiblyForAnotherRunInItsFolderAndEscapeEndsTheWait) {
  WriteFile("a.bin", kSecret);
  int other = HoldFolderLock();
  std::vector<std::string> shown;
  platform.on_events = [&] {
    if (s.Form1.Label1.Visible) shown.push_back(s.Form1.Label1.Caption);
    if (shown.size() == 3) s.AbortRequested = true;
  };
  s.EncryptSourceName = "a.bin";
  EncryptCommand(s);
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0], "Waiting for another run in this folder to end.");
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_FALSE(FileExists("default.enc"));
  EXPECT_FALSE(FileExists("a.enc"));
  EXPECT_EQ(LogText(), "");
  EXPECT_FALSE(s.AbortRequested);
  EXPECT_FALSE(s.Form1.Label1.Visible);
  EXPECT_FALSE(s.CommandRunning);

  // Once the other run ends, the waiting one goes on by itself.
  int waits = 0;
  platform.on_events = [&] {
    if (++waits == 2) ::close(other);
  };
  s.EncryptSourceName = "a.bin";
  EncryptCommand(s);
  EXPECT_GE(waits, 2);
  EXPECT_EQ(ReadFile("a.enc"), Encrypted(kSecret));
}

// Runs of the user in a folder that another user may write to (0777, no sticky bit,
// so the kernel's link protections would not help even where they are on), while
// that user keeps planting links to a private file of the victim and files of their
// own at every name the runs use. In such a folder the other user can always delete
// a run's files, so how many runs finish under attack is a matter of timing; what
// is checked is where the plaintext went, and that the runs finish once the other
// user stops, with what they left behind still in place.
TEST_F(WorkingFilesTest, ASecondUserSwappingLinksInNeverRedirectsTheOutput) {
  if (!WhyNoOtherUser().empty()) GTEST_SKIP() << WhyNoOtherUser();
  ::chmod(dir.path().c_str(), 0711);
  fs::create_directory("shared");
  ::chmod("shared", 0777);
  ASSERT_EQ(::chdir("shared"), 0);
  const std::string plain = kSecret + PatternBytes(20000, 3);
  WriteFile("a.bin", plain);
  const std::string encrypted = Encrypted(plain);

  {
    LinkSwapper other_user(dir / "shared", {"default.enc", "default.dec", "a.enc", "a.dec"},
                           victim);
    for (int run = 0; run < 150; ++run) {
      platform.messages.clear();
      s.EncryptSourceName = "a.bin";
      EncryptCommand(s);
      // Put back when taken, by rename, which replaces whatever the other user put there.
      WriteFile(dir / "private/a.enc", encrypted);
      ::rename((dir / "private/a.enc").c_str(), "a.enc");
      s.DecryptSourceName = "a.enc";
      DecryptCommand(s);
      // The other user may take a name first, or put something else at "a.enc" to be
      // read (a file too short to hold a block decrypts to nothing to save): a run then
      // ends with its reason, but never writes where it should not.
      for (const std::string& m : platform.messages) {
        EXPECT_TRUE(m.starts_with("Cannot ") || m == "No such file found." ||
                    m == "File was damaged, exiting" || m == "No file to save.")
            << m;
      }
    }
  }

  platform.messages.clear();
  s.EncryptSourceName = "a.bin";
  EncryptCommand(s);
  EXPECT_TRUE(platform.messages.empty()) << platform.messages[0];
  EXPECT_TRUE(ReadFile("a.enc") == encrypted);
  s.DecryptSourceName = "a.enc";
  DecryptCommand(s);
  EXPECT_TRUE(platform.messages.empty()) << platform.messages[0];
  EXPECT_TRUE(ReadFile("a.dec").starts_with(plain));

  EXPECT_TRUE(ReadFile(victim) == kVictim) << "the private file was written to";
  for (const auto& entry : fs::directory_iterator(".")) {
    struct stat st;
    ASSERT_EQ(::lstat(entry.path().c_str(), &st), 0);
    if (!S_ISREG(st.st_mode) || st.st_uid != kOtherUser) continue;
    EXPECT_EQ(ReadFile(entry.path()).find(kSecret), std::string::npos)
        << "plaintext in the other user's file " << entry.path();
    EXPECT_EQ(st.st_size, 0) << "the other user's file was written to: " << entry.path();
  }
}

}  // namespace
}  // namespace marrowlock
