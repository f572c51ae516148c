// SPDX-License-Identifier: MIT
// What every program does when the system gets in its way: a file-size limit, a
// signal in the middle of a run, a folder that can be written to but not read.

#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "frontends/cli/cli_fixture.h"
#include "support/posix_only.h"

namespace marrowlock {
namespace {

std::vector<std::string> HiddenNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with(".mlk-")) names.push_back(name);
  }
  return names;
}

// marrowlock-cli was killed by SIGXFSZ without a word, its hidden temporary left behind.
TEST_F(CliTest, AFileSizeLimitIsAFailureThatEveryProgramReports) {
  MARROWLOCK_POSIX_ONLY(kFileSizeLimit);
  MakeKey("k.mlk", 16);
  WriteFile(dir / "big.txt", SomeBytes(300000, 6));
  struct Case {
    std::string program;
    std::vector<std::string> args;
    off_t limit;
    std::string output;
    std::string message;
  };
  const std::vector<Case> cases = {
      {MARROWLOCK_BINARY,
       {"big.txt", "-i", "-kk.mlk"},
       100 << 10,
       "big.enc",
       "marlk: Cannot write big.enc: File too large.\n"},
      {MARROWLOCK_CLI_BINARY,
       {"encrypt", "-k", "k.mlk", "big.txt"},
       100 << 10,
       "big.enc",
       "marrowlock-cli: big.txt: cannot write big.enc: File too large\n"},
      {MARROWLOCK_KEYGEN_BINARY,
       {"new.mlk"},
       16,
       "new.mlk",
       "marrowlock-keygen: cannot write new.mlk: File too large\n"}};
  for (const Case& c : cases) {
    for (const std::string hidden : {"", "1"}) {
      SCOPED_TRACE(c.program + (hidden.empty() ? "" : " with hidden temporaries"));
      ProgramRun run;
      run.program = c.program;
      run.args = c.args;
      run.folder = folder;
      run.file_size_limit = c.limit;
      run.environment = {"MARROWLOCK_NO_TMPFILE=" + hidden};
      ProgramResult result = RunToEnd(run);
      EXPECT_EQ(result.status, 1);
      // Standard error is a file under the same limit.
      EXPECT_EQ(result.err, c.message.substr(0, static_cast<size_t>(c.limit)));
      EXPECT_FALSE(FileExists(dir / c.output));
      const std::vector<std::string> left = HiddenNames(folder);
      EXPECT_EQ(left, std::vector<std::string>{});
      for (const std::string& name : left) std::filesystem::remove(dir / name);
    }
  }
}

// Where outputs need a hidden name while they are written, a run cut short by Ctrl+C,
// kill or a closed terminal removes it: marrowlock-cli whichever of its threads the
// signal meets, and the window (a logout ends it with SIGTERM or SIGHUP). On Windows:
// Ctrl+C, Ctrl+Break and the console window closed.
TEST_F(CliTest, SignalsLeaveNoHiddenTemporaryBehind) {
  MakeKey("k.mlk", 16);
  SetDefaultKey("k.mlk");
  const std::string big = SomeBytes(16 << 20, 7);
  WriteFile(dir / "a.bin", big);
  WriteFile(dir / "b.bin", big);
  ASSERT_EQ(Cli({"encrypt", "a.bin"}).status, 0);
  for (const Interruption& interruption : Interruptions()) {
    SCOPED_TRACE(interruption.name);
    ProgramRun cli;
    cli.program = MARROWLOCK_CLI_BINARY;
    cli.args = {"encrypt", "-f", "-j", "2", "a.bin", "b.bin"};
    ProgramRun window;
    window.program = MARROWLOCK_BINARY;
#ifdef _WIN32  // a build without the window: its batch mode instead
    window.args = {"a.enc", "-i"};
#else
    window.args = {"a.enc"};
    window.environment = {"QT_QPA_PLATFORM=offscreen"};
#endif
    for (ProgramRun* run : {&cli, &window}) {
      run->folder = folder;
      run->environment.push_back("MARROWLOCK_NO_TMPFILE=1");
      run->signal_when_named = {interruption.signal, ".mlk-"};
      ProgramResult result = RunToEnd(*run);
      EXPECT_FALSE(result.hung) << run->program;
      EXPECT_EQ(result.status, interruption.status) << run->program << ": " << result.err;
      const std::vector<std::string> left = HiddenNames(folder);
      EXPECT_EQ(left, std::vector<std::string>{}) << run->program;
      for (const std::string& name : left) std::filesystem::remove(dir / name);
    }
  }
}

// A folder that the user may write to but not read (mode 0333) cannot be opened to be
// synced once the output has its name. The output is complete: each program says
// that the folder was not synced, writes its log record, and succeeds; a retry then
// never meets an output that "exists already".
TEST_F(CliTest, AnOutputNamedInAFolderThatCannotBeReadIsASuccess) {
  MARROWLOCK_POSIX_ONLY(kSecondUser);
  if (!WhyNoOtherUser().empty()) GTEST_SKIP() << WhyNoOtherUser();
  MakeKey("k.mlk", 16);
  const std::string key = dir / "k.mlk";
  ::chmod(dir.path().c_str(), 0755);
  ::chmod(key.c_str(), 0644);
  EnsureSystemFolder();
  ::chmod(dir.home().c_str(), 0777);
  const std::string drop = dir / "drop";
  MakeFolder(drop, 0700);
  const std::string plain = SomeBytes(70000, 8);
  WriteFile(drop + "/x.txt", plain);
  ChangeOwner(drop + "/x.txt", kOtherUser);
  ChangeOwner(drop, kOtherUser);
  ::chmod(drop.c_str(), 0333);

  const std::string unsynced = "Cannot open folder .: Permission denied.";
  auto cli_warning = [](const std::string& output) {
    return "marrowlock-cli: warning: cannot open folder .: Permission denied; " + output +
           " is complete, but may not survive a power cut\n";
  };
  struct Case {
    std::string program;
    std::vector<std::string> args;
    std::string output;
    std::string err;
  };
  const std::vector<Case> cases = {
      {MARROWLOCK_BINARY,
       {"x.txt", "-i", "-k" + key},
       "x.enc",
       "marlk: " + unsynced + " x.enc is complete, but may not survive a power cut.\n"},
      {MARROWLOCK_BINARY,
       {"x.enc", "-i", "-k" + key},
       "x.dec",
       "marlk: " + unsynced + " x.dec is complete, but may not survive a power cut.\n"},
      {MARROWLOCK_CLI_BINARY,
       {"encrypt", "-k", key, "-o", "y.enc", "x.txt"},
       "y.enc",
       cli_warning("y.enc")},
      {MARROWLOCK_CLI_BINARY, {"decrypt", "-f", "-k", key, "y.enc"}, "y.dec", cli_warning("y.dec")},
      {MARROWLOCK_KEYGEN_BINARY,
       {"new.mlk"},
       "new.mlk",
       "marrowlock-keygen: warning: cannot open folder .: Permission denied; new.mlk is "
       "complete, but may not survive a power cut\n"}};
  for (const std::string hidden : {"", "1"}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.program + " " + c.args[0] + (hidden.empty() ? "" : " with hidden names"));
      std::filesystem::remove(LogFilePath());
      ProgramRun run;
      run.program = c.program;
      run.args = c.args;
      run.folder = drop;
      run.user = kOtherUser;
      run.environment = {"MARROWLOCK_NO_TMPFILE=" + hidden};
      ProgramResult result = RunToEnd(run);
      EXPECT_EQ(result.status, 0);
      EXPECT_EQ(result.err, c.err);
      EXPECT_TRUE(FileExists(drop + "/" + c.output));
      if (c.program == MARROWLOCK_BINARY) {
        EXPECT_TRUE(FileExists(LogFilePath())) << "the run is logged";
      }
    }
    EXPECT_TRUE(ReadFile(drop + "/x.dec").starts_with(plain));
    EXPECT_TRUE(ReadFile(drop + "/y.dec").starts_with(plain));
    EXPECT_EQ(ReadFile(drop + "/new.mlk").size(), 32u);
    EXPECT_EQ(HiddenNames(drop), std::vector<std::string>{});
    for (const char* output : {"x.enc", "x.dec", "y.enc", "y.dec", "new.mlk"}) {
      std::filesystem::remove(drop + "/" + output);
    }
  }
}

}  // namespace
}  // namespace marrowlock
