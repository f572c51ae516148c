// SPDX-License-Identifier: MIT
// The files that window runs write, tried as an attacker and an unlucky user would:
// links planted at every name a run creates or once used, files of other users at
// those names, a second user swapping links in while runs go on, outputs on another
// file system, and a log that cannot be written.

#include <sys/stat.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <algorithm>
#include <filesystem>

#include "commands/command_fixture.h"
#include "files/decrypted_output.h"
#include "platform/output_file.h"
#include "support/posix_only.h"
#ifndef _WIN32
#include "support/link_swapper.h"
#endif
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
    fs::permissions("private", fs::perms::owner_all);
    victim = dir / "private/victim";
    WriteFile(victim, kVictim);
    fs::permissions(victim, fs::perms::owner_read | fs::perms::owner_write);
  }

  std::string Encrypted(const std::string& plain) {
    return ReferenceTransform(ReferenceFraming(plain, 16, true), key.pair);
  }

  std::string victim;
};

fs::file_type TypeOf(const std::string& path) {
  std::error_code ec;
  return fs::symlink_status(path, ec).type();
}

TEST_F(WorkingFilesTest, LinksPlantedAtEveryNameARunCreatesAreNeverFollowed) {
  MARROWLOCK_POSIX_ONLY(kSymlinks);
  const std::string plain = kSecret + PatternBytes(5000, 1);
  WriteFile("a.bin", plain);
  for (const char* name : {"default.enc", "a.enc", "default.dec", "a.dec"}) {
    fs::create_symlink(victim, name);
  }
  s.EncryptSourceName = "a.bin";
  EncryptCommand(s);
  EXPECT_TRUE(platform.messages.empty()) << platform.messages[0];
  EXPECT_EQ(TypeOf("a.enc"), fs::file_type::regular);
  EXPECT_EQ(ReadFile("a.enc"), Encrypted(plain));

  s.DecryptSourceName = "a.enc";
  DecryptCommand(s);
  EXPECT_TRUE(platform.messages.empty()) << platform.messages[0];
  EXPECT_EQ(TypeOf("a.dec"), fs::file_type::regular);
  // Names no run uses are left as they were.
  EXPECT_EQ(TypeOf("default.enc"), fs::file_type::symlink);
  EXPECT_EQ(TypeOf("default.dec"), fs::file_type::symlink);
  EXPECT_TRUE(ReadFile("a.dec").starts_with(plain));
  EXPECT_EQ(ReadFile(victim), kVictim);
}

// Decrypted data is the owner's only, whatever the umask; encrypted data follows it.
TEST_F(WorkingFilesTest, PlaintextIsOwnerOnlyUnderAnyUmask) {
  MARROWLOCK_POSIX_ONLY(kPermissionBits);
  WriteFile("a.bin", kSecret);
  const mode_t old_mask = ::umask(0);
  s.EncryptSourceName = "a.bin";
  EncryptCommand(s);
  s.DecryptSourceName = "a.enc";
  DecryptCommand(s);
  ::umask(old_mask);
  EXPECT_EQ(PermissionBits("a.dec"), 0600u);
  EXPECT_EQ(PermissionBits("a.enc"), 0666u);
}

// The working names of earlier versions, taken by things a run could not remove or
// write: folders, and files of another user. Window runs use no such names.
TEST_F(WorkingFilesTest, NamesPlantedByOthersNeverStopAWindowRun) {
  fs::create_directory("default.enc");
  fs::create_directory("default.dec");
  const std::string plain = kSecret + PatternBytes(3000, 4);
  WriteFile("a.bin", plain);
  s.EncryptSourceName = "a.bin";
  EncryptCommand(s);
  s.DecryptSourceName = "a.enc";
  DecryptCommand(s);
  EXPECT_TRUE(platform.messages.empty()) << platform.messages[0];
  EXPECT_TRUE(ReadFile("a.dec").starts_with(plain));
  EXPECT_TRUE(fs::is_empty("default.enc") && fs::is_empty("default.dec"));

  if (!WhyNoOtherUser().empty()) return;
  fs::remove("default.enc");
  fs::remove("default.dec");
  for (const char* name : {"default.enc", "default.dec"}) {
    WriteFile(name, "another user's");
    ASSERT_TRUE(ChangeOwner(name, kOtherUser));
  }
  fs::remove("a.dec");
  s.DecryptSourceName = "a.enc";
  DecryptCommand(s);
  EXPECT_TRUE(platform.messages.empty()) << platform.messages[0];
  EXPECT_TRUE(ReadFile("a.dec").starts_with(plain));
  EXPECT_EQ(ReadFile("default.dec"), "another user's");
}

ino_t InodeOf(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

std::vector<std::string> FolderEntries() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(".")) {
    if (entry.path().filename() != "home") names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// A decryption's result is written once, beside its name, and takes it by a link; a
// Rename links the same file again. The result is held through its own descriptor,
// so whatever is later put at a name it had is not what gets saved. Where the file
// system has no unnamed files, the hidden one goes once the result has its name.
TEST_F(WorkingFilesTest, AResultIsNamedAndRenamedByLinksAndHeldWhateverIsLaterAtItsName) {
  MARROWLOCK_POSIX_ONLY(kSymlinks);
  const std::string plain = kSecret + PatternBytes(3000, 2);
  WriteFile("a.enc", Encrypted(plain));
  for (bool hidden : {false, true}) {
    SCOPED_TRACE(hidden ? "hidden working file" : "unnamed working file");
    AvoidUnnamedTemporaries(hidden);
    fs::remove("again.dec");
    fs::remove("third.dec");
    s.DecryptSourceName = "a.enc";
    DecryptCommand(s);
    EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"a.dec", "a.enc", "private"}));
    platform.input_answers = {"again.dec"};
    RenameCommand(s);
    EXPECT_EQ(InodeOf("again.dec"), InodeOf("a.dec")) << "the result was copied";

    fs::remove("a.dec");
    fs::remove("again.dec");
    fs::create_symlink(victim, "a.dec");
    platform.input_answers = {"third.dec"};
    RenameCommand(s);
    EXPECT_TRUE(ReadFile("third.dec").starts_with(plain));
    EXPECT_EQ(ReadFile(victim), kVictim);
    fs::remove("a.dec");
    EXPECT_TRUE(platform.messages.empty()) << platform.messages[0];
  }
  AvoidUnnamedTemporaries(false);
}

// The source, and so the output, lies on another file system than the current
// folder: the output is made beside it. A held result renamed into another file
// system gets a whole copy, made beside its name, that takes the name once complete.
TEST_F(WorkingFilesTest, AnOutputOnAnotherFileSystemIsMadeThereAndRenamedByACopy) {
  MARROWLOCK_POSIX_ONLY(kDeviceNodes);  // /dev/shm
#ifndef _WIN32
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

  s.DecryptSourceName = other + "/a.enc";
  DecryptCommand(s);
  EXPECT_TRUE(ReadFile(other + "/a.dec").starts_with(kSecret));
  platform.input_answers = {"here.dec"};
  RenameCommand(s);
  EXPECT_TRUE(platform.messages.empty()) << platform.messages[0];
  EXPECT_EQ(ReadFile("here.dec"), ReadFile(other + "/a.dec"));
  EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"here.dec", "private"}));
  fs::remove_all(other);
#endif
}

// Named first, logged after: a log that cannot be written costs only its record, and
// a result that could not be saved is not logged.
TEST_F(WorkingFilesTest, AResultIsNamedBeforeItIsLogged) {
  MARROWLOCK_POSIX_ONLY(kSymlinks);
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

// Runs of the user in a folder that another user may write to (0777, no sticky bit,
// so the kernel's link protections would not help even where they are on), while
// that user keeps planting links to a private file of the victim and files of their
// own at every name the runs use. In such a folder the other user can always delete
// a run's files, so how many runs finish under attack is a matter of timing; what
// is checked is where the plaintext went, and that the runs finish once the other
// user stops, with what they left behind still in place.
TEST_F(WorkingFilesTest, ASecondUserSwappingLinksInNeverRedirectsTheOutput) {
  MARROWLOCK_POSIX_ONLY(kSecondUser);
#ifndef _WIN32
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
#endif
}

}  // namespace
}  // namespace marrowlock
