// SPDX-License-Identifier: MIT
// Batch runs of the real program tried as an attacker and an unlucky user would: a
// batch run writes nothing but its output, owner-only where it may hold plaintext;
// devices, FIFOs and sockets named as outputs are written into, links replaced; a
// second user swapping links in gains nothing; a kill at any moment leaves the old
// file or the whole new one and no temporary; permissions that root would pass are
// met as another user.

#include <gtest/gtest.h>
#include <sys/stat.h>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <filesystem>

#include "files/settings_file.h"
#include "platform/system_paths.h"
#include "support/environment.h"
#ifndef _WIN32
#include "support/link_swapper.h"
#endif
#include "support/posix_only.h"
#include "support/program_run.h"
#include "support/temp_dir.h"
#include "support/test_key.h"

namespace marrowlock {
namespace {

namespace fs = std::filesystem;

const std::string kSecret = "SECRET-PLAINTEXT ";
const std::string kVictim = "a private file of the user, never to be touched";
// The longest name a folder entry may have: 255 bytes on Linux, 255 UTF-16 units on NTFS.
constexpr size_t kLongestName = 255;

#ifndef _WIN32
mode_t ModeOf(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 ? st.st_mode : 0;
}
#endif

std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class BatchFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Others may enter the test folder, so that runs as another user can work in it.
    fs::permissions(dir.path(),
                    fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                        fs::perms::others_exec,
                    fs::perm_options::add);
    key = MakeTestKey(16, 5);
    std::string bytes(key.pair.begin(), key.pair.end());
    bytes.append(key.pal.begin(), key.pal.end());
    WriteFile(dir / "k.mlk", bytes);
    EnsureSystemFolder();
    WriteSettingsFile(dir.path(), "k.mlk");
    plain = kSecret + PatternBytes(70000, 9);
    WriteFile(dir / "x.enc", Encrypted(plain));
  }

  std::string Encrypted(const std::string& data) {
    return ReferenceTransform(ReferenceFraming(data, 16, true), key.pair);
  }
  // What decrypting Encrypted(data) gives: the data and its padding.
  std::string Decrypted(const std::string& data) {
    return ReferenceTransform(Encrypted(data), key.pal);
  }

  ProgramRun Run(std::vector<std::string> args, const std::string& folder = "") {
    ProgramRun run;
    run.program = MARROWLOCK_BINARY;
    run.args = std::move(args);
    run.folder = folder.empty() ? dir.path() : folder;
    run.timeout_seconds = 30;
    return run;
  }
  ProgramResult Batch(std::vector<std::string> args, const std::string& folder = "") {
    return RunToEnd(Run(std::move(args), folder));
  }

  // Lets the other user read the key and the settings (both owner-only as made) and
  // write the log.
  void OpenForOtherUser() {
    ::chmod((dir / "k.mlk").c_str(), 0644);
    ::chmod(SettingsFilePath().c_str(), 0644);
    ::chmod(dir.home().c_str(), 0777);
  }

  void ExpectOk(const ProgramResult& result) {
    EXPECT_FALSE(result.hung);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
  }
  void ExpectRefused(const ProgramResult& result, const std::string& message) {
    EXPECT_FALSE(result.hung);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "marlk: " + message + "\n");
  }

  TempDir dir;
  TestKey key;
  std::string plain;
};

TEST_F(BatchFilesTest, ABatchRunTouchesNothingButItsOutputAndTakesNoLock) {
  // Another program holds the folder lock and has working files here: a batch run
  // needs neither and leaves them alone. (Windows has no folder lock to hold.)
#ifndef _WIN32
  int lock = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_EQ(::flock(lock, LOCK_EX), 0);
#endif
  WriteFile(dir / "default.enc", "another run's working file");
  WriteFile(dir / "default.dec", "another run's working file");
  WriteFile(dir / "y.txt", plain);
  fs::create_directory(dir / "out");

  ExpectOk(Batch({"y.txt", "-i", "-kk.mlk"}));
  ExpectOk(Batch({"x.enc", "-i", "-kk.mlk"}));
  ExpectOk(Batch({"x.enc", "-i", "-kk.mlk", "-oout/x.plain"}));
#ifndef _WIN32
  ::close(lock);
#endif

  EXPECT_TRUE(ReadFile(dir / "y.enc") == Encrypted(plain));
  EXPECT_TRUE(ReadFile(dir / "x.dec") == Decrypted(plain));
  EXPECT_TRUE(ReadFile(dir / "out/x.plain") == Decrypted(plain));
  EXPECT_EQ(ReadFile(dir / "default.enc"), "another run's working file");
  EXPECT_EQ(ReadFile(dir / "default.dec"), "another run's working file");
  EXPECT_EQ(Entries(dir.path()),
            (std::vector<std::string>{"default.dec", "default.enc", "home", "k.mlk", "out", "x.dec",
                                      "x.enc", "y.enc", "y.txt"}));
  EXPECT_EQ(Entries(dir / "out"), std::vector<std::string>{"x.plain"});
}

TEST_F(BatchFilesTest, ABatchRunNeedsNoWriteAccessToTheCurrentFolder) {
  MARROWLOCK_POSIX_ONLY(kSecondUser);
  if (!WhyNoOtherUser().empty()) GTEST_SKIP() << WhyNoOtherUser();
  fs::create_directory(dir / "readonly");
  ::chmod((dir / "readonly").c_str(), 0555);
  fs::create_directory(dir / "data");
  ChangeOwner(dir / "data", kOtherUser);
  OpenForOtherUser();
  WriteFile(dir / "data/y.txt", plain);
  ChangeOwner(dir / "data/y.txt", kOtherUser);

  ProgramRun encrypt = Run({"../data/y.txt", "-i", "-kk.mlk"}, dir / "readonly");
  encrypt.user = kOtherUser;
  ExpectOk(RunToEnd(encrypt));
  ProgramRun decrypt = Run({"../data/y.enc", "-i", "-kk.mlk", "-o../data/back"}, dir / "readonly");
  decrypt.user = kOtherUser;
  ExpectOk(RunToEnd(decrypt));
  EXPECT_TRUE(ReadFile(dir / "data/back") == Decrypted(plain));
  EXPECT_TRUE(fs::is_empty(dir / "readonly"));
}

TEST_F(BatchFilesTest, PlaintextTheSettingsAndTheLogAreOwnerOnlyUnderUmask000) {
  MARROWLOCK_POSIX_ONLY(kPermissionBits);
#ifndef _WIN32
  fs::remove_all(dir.home());
  WriteFile(dir / "y.txt", plain);
  // Without settings a run without -k asks for the default key, and keeps the answer.
  for (std::vector<std::string> args : {std::vector<std::string>{"y.txt", "-i"},
                                        {"x.enc", "-i", "-kk.mlk"},
                                        {"x.enc", "-i", "-kk.mlk", "-onamed.out"}}) {
    ProgramRun run = Run(args);
    run.umask = 0;
    run.input = dir / "k.mlk\n";
    ProgramResult result = RunToEnd(run);
    EXPECT_EQ(result.status, 0) << result.err;
  }
  ProgramRun keygen;
  keygen.program = MARROWLOCK_KEYGEN_BINARY;
  keygen.args = {"new.mlk"};
  keygen.folder = dir.path();
  keygen.umask = 0;
  EXPECT_EQ(RunToEnd(keygen).status, 0);

  for (const std::string& path :
       {dir / "x.dec", dir / "named.out", SettingsFilePath(), LogFilePath(), dir / "new.mlk"}) {
    EXPECT_EQ(ModeOf(path) & 07777, 0600u) << path;
  }
  EXPECT_EQ(ModeOf(dir.home()) & 07777, 0700u) << "nobody else may replace the settings";
  EXPECT_EQ(ModeOf(dir / "y.enc") & 07777, 0666u) << "encrypted data may follow the umask";
#endif
}

TEST_F(BatchFilesTest, DevicesFifosAndStandardOutputAreWrittenIntoNeverReplaced) {
  MARROWLOCK_POSIX_ONLY(kDeviceNodes);
#ifndef _WIN32
  ProgramResult to_stdout = Batch({"x.enc", "-i", "-kk.mlk", "-o/dev/stdout"});
  EXPECT_EQ(to_stdout.status, 0) << to_stdout.err;
  EXPECT_TRUE(to_stdout.out == Decrypted(plain)) << "standard output redirected to a file";

  ProgramRun piped;
  piped.program = "/bin/sh";
  piped.args = {
      "-c",           "\"$0\" \"$@\" | cat >piped", MARROWLOCK_BINARY, "x.enc", "-i", "-kk.mlk",
      "-o/dev/stdout"};
  piped.folder = dir.path();
  EXPECT_EQ(RunToEnd(piped).status, 0);
  EXPECT_TRUE(ReadFile(dir / "piped") == Decrypted(plain)) << "streamed into a pipe";

  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  ProgramRun fifo = piped;
  fifo.args = {"-c",
               "cat fifo >from-fifo & \"$0\" \"$@\"; s=$?; wait; exit $s",
               MARROWLOCK_BINARY,
               "x.enc",
               "-i",
               "-kk.mlk",
               "-ofifo"};
  EXPECT_EQ(RunToEnd(fifo).status, 0);
  EXPECT_TRUE(ReadFile(dir / "from-fifo") == Decrypted(plain));
  EXPECT_TRUE(S_ISFIFO(ModeOf(dir / "fifo")));

  if (::geteuid() == 0) {
    // Nodes made in the test folder, so the system's own are never at stake.
    ASSERT_EQ(::mknod((dir / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    ExpectOk(Batch({"x.enc", "-i", "-kk.mlk", "-onull"}));
    EXPECT_TRUE(S_ISCHR(ModeOf(dir / "null")));
    ASSERT_EQ(::mknod((dir / "disk").c_str(), S_IFBLK | 0600, makedev(7, 0)), 0);
    ExpectRefused(Batch({"x.enc", "-i", "-kk.mlk", "-odisk"}),
                  "Cannot write disk: It is a block device.");
    EXPECT_TRUE(S_ISBLK(ModeOf(dir / "disk")));
  }
#endif
}

TEST_F(BatchFilesTest, AnOutputNeverReplacesWhatTheRunReadsAndReplacesLinksWithoutFollowing) {
  const std::string encrypted = ReadFile(dir / "x.enc");
  const std::string key_bytes = ReadFile(dir / "k.mlk");
  const bool logged_before = FileExists(LogFilePath());
  ExpectRefused(Batch({"x.enc", "-i", "-kk.mlk", "-ox.enc"}),
                "Cannot write x.enc: it is the encrypted file being decrypted.");
  ExpectRefused(Batch({"x.enc", "-i", "-kk.mlk", "-ok.mlk"}),
                "Cannot write k.mlk: it is the key file in use.");
  EXPECT_TRUE(ReadFile(dir / "x.enc") == encrypted);
  EXPECT_TRUE(ReadFile(dir / "k.mlk") == key_bytes);
  EXPECT_EQ(FileExists(LogFilePath()), logged_before) << "nothing was decrypted";

#ifndef _WIN32  // Windows lets only administrators make links
  WriteFile(dir / "victim", kVictim);
  fs::create_symlink(dir / "victim", dir / "link.out");
  fs::create_symlink(dir / "victim", dir / "x.dec");
  ExpectOk(Batch({"x.enc", "-i", "-kk.mlk", "-olink.out"}));
  ExpectOk(Batch({"x.enc", "-i", "-kk.mlk"}));
  EXPECT_EQ(ReadFile(dir / "victim"), kVictim);
  EXPECT_TRUE(S_ISREG(ModeOf(dir / "link.out")));
  EXPECT_TRUE(S_ISREG(ModeOf(dir / "x.dec")));
  EXPECT_TRUE(ReadFile(dir / "link.out") == Decrypted(plain));
#endif
}

// The longest name the system allows works as an output: the temporary beside it
// has a short name of its own, whatever the target's.
TEST_F(BatchFilesTest, AnyOutputNameTheSystemAllowsWorks) {
  const std::string longest(kLongestName, 'o');
  for (const char* hidden : {"", "1"}) {
    ProgramRun run = Run({"x.enc", "-i", "-kk.mlk", "-o" + longest});
    run.environment = {std::string("MARROWLOCK_NO_TMPFILE=") + hidden};
    ExpectOk(RunToEnd(run));
    EXPECT_TRUE(ReadFile(dir / longest) == Decrypted(plain));
    fs::remove(dir / longest);
  }
}

TEST_F(BatchFilesTest, ASourceThatCannotBeReachedIsReportedWithItsReason) {
  MARROWLOCK_POSIX_ONLY(kSecondUser);
  if (!WhyNoOtherUser().empty()) GTEST_SKIP() << WhyNoOtherUser();
  fs::create_directory(dir / "closed");
  WriteFile(dir / "closed/a.txt", "data");
  WriteFile(dir / "closed/a.enc", Encrypted("data"));
  ::chmod((dir / "closed").c_str(), 0700);
  OpenForOtherUser();
  for (const char* name : {"closed/a.txt", "closed/a.enc"}) {
    ProgramRun run = Run({name, "-i", "-kk.mlk"});
    run.user = kOtherUser;
    ExpectRefused(RunToEnd(run), std::string("Cannot open ") + name + ": Permission denied.");
  }
}

// With the settings folder read-only, a finished run keeps its named result; only
// the log record is lost, and the batch run says so and fails.
TEST_F(BatchFilesTest, ALogThatCannotBeWrittenCostsOnlyItsRecord) {
  MARROWLOCK_POSIX_ONLY(kSecondUser);
  if (!WhyNoOtherUser().empty()) GTEST_SKIP() << WhyNoOtherUser();
  fs::remove(LogFilePath());
  OpenForOtherUser();
  ::chmod(dir.home().c_str(), 0555);
  fs::create_directory(dir / "work");
  ChangeOwner(dir / "work", kOtherUser);
  WriteFile(dir / "work/y.txt", plain);
  const std::string message = "Cannot open " + LogFilePath() + ": Permission denied.";

  ProgramRun encrypt = Run({"y.txt", "-i", "-kk.mlk"}, dir / "work");
  encrypt.user = kOtherUser;
  ExpectRefused(RunToEnd(encrypt), message);
  EXPECT_TRUE(ReadFile(dir / "work/y.enc") == Encrypted(plain));

  ProgramRun decrypt = Run({"y.enc", "-i", "-kk.mlk"}, dir / "work");
  decrypt.user = kOtherUser;
  ExpectRefused(RunToEnd(decrypt), message);
  EXPECT_TRUE(ReadFile(dir / "work/y.dec") == Decrypted(plain));
  EXPECT_FALSE(FileExists(LogFilePath()));
}

// A shared folder (mode 1777) where another user has left a "default.ppl": it is not
// theirs to install as anyone's default key, nor ours to delete. It is ignored with
// one line, and the run goes on.
TEST_F(BatchFilesTest, APendingKeyThatIsNotTheUsersOwnIsIgnoredWithOneLine) {
  MARROWLOCK_POSIX_ONLY(kSecondUser);
  if (!WhyNoOtherUser().empty()) GTEST_SKIP() << WhyNoOtherUser();
  const std::string shared = dir / "shared";
  fs::create_directory(shared);
  ::chmod(shared.c_str(), 01777);
  OpenForOtherUser();
  const std::string planted(32, 'p');
  WriteFile(shared + "/y.txt", plain);
  ::chmod((shared + "/y.txt").c_str(), 0644);
  const std::string not_theirs = "Ignored default.ppl: it belongs to another user.";

  // Planted by root, met by another user; then planted by that user, met by root.
  WriteFile(shared + "/default.ppl", planted);
  ProgramRun as_other = Run({"y.txt", "-i", "-k" + (dir / "k.mlk")}, shared);
  as_other.user = kOtherUser;
  ProgramResult result = RunToEnd(as_other);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "marlk: " + not_theirs + "\n");
  EXPECT_TRUE(FileExists(shared + "/y.enc"));
  fs::remove(shared + "/y.enc");

  ChangeOwner(shared + "/default.ppl", kOtherUser);
  result = Batch({"y.txt", "-i", "-kk.mlk"}, shared);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "marlk: " + not_theirs + "\n");
  EXPECT_TRUE(FileExists(shared + "/y.enc"));
  EXPECT_EQ(ReadFile(shared + "/default.ppl"), planted);
  EXPECT_FALSE(FileExists(shared + "/default.mlk")) << "no key of theirs was installed";
}

// A kill at any moment leaves the old output or the whole new one, never a part of
// it, and no temporary, even where the temporary needs a name of its own. On Windows
// the kill is Ctrl+C, Ctrl+Break or the console window closed.
TEST_F(BatchFilesTest, AKillAtAnyMomentLeavesTheOldFileOrTheNewOneAndNoTemporary) {
  // Thirty console events delivered in a row corrupt Wine's own heap now and then
  // ("malloc(): invalid size", "malloc assertion failure in sysmalloc") and hang the
  // run and others beside it; CliTest.SignalsLeaveNoHiddenTemporaryBehind delivers
  // each event there once a hidden name exists.
  MARROWLOCK_NOT_UNDER_WINE("console events at any moment can corrupt Wine's heap");
  const std::string big = kSecret + PatternBytes(24 << 20, 11);
  WriteFile(dir / "big.bin", big);
  const std::string encrypted = Encrypted(big);
  int killed = 0;
  int run_number = 0;
  for (const Interruption& interruption : Interruptions()) {
    for (double after : {0.005, 0.02, 0.06, 0.1, 0.3}) {
      SCOPED_TRACE(interruption.name + " after " + std::to_string(after));
      const bool decrypting = run_number++ % 2 == 1;
      if (decrypting) WriteFile(dir / "big.enc", encrypted);
      const std::string output = dir / (decrypting ? "out.dec" : "big.enc");
      WriteFile(output, "the old output");
      ProgramRun run = decrypting ? Run({"big.enc", "-i", "-kk.mlk", "-oout.dec"})
                                  : Run({"big.bin", "-i", "-kk.mlk"});
      run.environment = {"MARROWLOCK_NO_TMPFILE=1"};
      run.signal_after = {interruption.signal, after};
      ProgramResult result = RunToEnd(run);
      ASSERT_FALSE(result.hung);
      const std::string now = ReadFile(output);
      if (result.status == interruption.status) {
        ++killed;
        EXPECT_TRUE(now == "the old output" || now.size() == encrypted.size());
      } else if (UnderWine() && result.status == 0 && now == "the old output") {
        // Caught by Wine's own handler before the program had set its own: Wine ends
        // the program with status 0 there (Windows with STATUS_CONTROL_C_EXIT).
        ++killed;
      } else {
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(now.size(), encrypted.size());
      }
      for (const std::string& name : Entries(dir.path())) {
        EXPECT_NE(name.rfind(".mlk-", 0), 0u) << "a temporary was left: " << name;
      }
    }
  }
  EXPECT_GT(killed, 0) << "no run was caught while it ran";
}

// Batch runs in a folder that another user may write to, while that user keeps
// planting links to a private file of the victim and files of their own at the
// output names.
TEST_F(BatchFilesTest, ASecondUserSwappingLinksInGainsNothing) {
  MARROWLOCK_POSIX_ONLY(kSecondUser);
#ifndef _WIN32
  if (!WhyNoOtherUser().empty()) GTEST_SKIP() << WhyNoOtherUser();
  fs::create_directory(dir / "private");
  ::chmod((dir / "private").c_str(), 0700);
  const std::string victim = dir / "private/victim";
  WriteFile(victim, kVictim);
  ::chmod(victim.c_str(), 0600);
  const std::string shared = dir / "shared";
  fs::create_directory(shared);
  ::chmod(shared.c_str(), 0777);
  WriteFile(shared + "/y.txt", plain);
  WriteFile(shared + "/y.enc", Encrypted(plain));

  {
    LinkSwapper other_user(shared, {"y.dec", "out.dec", "default.enc", "default.dec"}, victim);
    for (int i = 0; i < 20; ++i) {
      RunToEnd(Run({"y.enc", "-i", "-kk.mlk"}, shared));
      RunToEnd(Run({"y.enc", "-i", "-kk.mlk", "-oout.dec"}, shared));
    }
  }

  EXPECT_EQ(ReadFile(victim), kVictim);
  for (const std::string& name : Entries(shared)) {
    struct stat st;
    ASSERT_EQ(::lstat((shared + "/" + name).c_str(), &st), 0);
    if (S_ISREG(st.st_mode) && st.st_uid == kOtherUser) {
      EXPECT_EQ(st.st_size, 0) << "the other user's file was written to: " << name;
    }
    if (S_ISREG(st.st_mode) && st.st_uid != kOtherUser && name.ends_with(".dec")) {
      EXPECT_EQ(st.st_mode & 077, 0u) << name;
    }
  }
#endif
}

}  // namespace
}  // namespace marrowlock
