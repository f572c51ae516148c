// SPDX-License-Identifier: MIT
// Several batch runs started at once in one folder, none waiting for another: each
// must produce exactly its own output, and none may leave a working file behind.

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "files/settings_file.h"
#include "platform/system_paths.h"
#include "support/program_run.h"
#include "support/temp_dir.h"

namespace marrowlock {
namespace {

constexpr int kRuns = 5;

std::string RandomBytes(size_t count, unsigned seed) {
  std::mt19937_64 random(seed);
  std::string bytes(count, '\0');
  for (size_t i = 0; i + 8 <= count; i += 8) {
    uint64_t v = random();
    for (int b = 0; b < 8; ++b) bytes[i + static_cast<size_t>(b)] = static_cast<char>(v >> (8 * b));
  }
  return bytes;
}

ProgramResult RunIn(const std::string& folder, const std::string& program,
                    std::vector<std::string> args) {
  ProgramRun run;
  run.program = program;
  run.args = std::move(args);
  run.folder = folder;
  return RunToEnd(run);
}

// Starts the program in `folder` without waiting for it; its output goes nowhere.
pid_t Start(const std::string& folder, const std::vector<std::string>& args) {
  std::vector<char*> argv;
  std::string program = MARROWLOCK_BINARY;
  argv.push_back(program.data());
  std::vector<std::string> copies = args;
  for (std::string& a : copies) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = ::fork();
  if (pid == 0) {
    int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, 0);
    ::dup2(null, 1);
    if (::chdir(folder.c_str()) != 0) ::_exit(126);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  return pid;
}

int Wait(pid_t pid) {
  int raw = 0;
  if (::waitpid(pid, &raw, 0) != pid) return -1;
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
}

class ConcurrentRunsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureSystemFolder();
    WriteSettingsFile(dir.path(), "unused.mlk");
    ProgramResult made = RunIn(dir.path(), MARROWLOCK_KEYGEN_BINARY, {"-n", "16", "k.mlk"});
    ASSERT_EQ(made.status, 0) << made.err;
    // Sizes of a few MiB, so that the runs overlap, and each different, so that a
    // mix-up of outputs shows.
    for (int i = 0; i < kRuns; ++i) {
      plain.push_back(RandomBytes((size_t{3} << 20) + 4001 * static_cast<size_t>(i) + 5,
                                  static_cast<unsigned>(i + 1)));
      WriteFile(dir / Name(i, "bin"), plain.back());
    }
  }

  static std::string Name(int i, const char* extension) {
    return "f" + std::to_string(i) + "." + extension;
  }

  // Runs every file through the program at the same moment; all must succeed.
  void RunAllAtOnce(const char* extension) {
    std::vector<pid_t> pids;
    for (int i = 0; i < kRuns; ++i)
      pids.push_back(Start(dir.path(), {Name(i, extension), "-i", "-kk.mlk"}));
    for (int i = 0; i < kRuns; ++i) EXPECT_EQ(Wait(pids[static_cast<size_t>(i)]), 0) << "run " << i;
  }

  TempDir dir;
  std::vector<std::string> plain;
};

TEST_F(ConcurrentRunsTest, SimultaneousEncryptionsAndDecryptionsEachGetTheirOwnOutput) {
  // What each file encrypts to when it runs alone.
  std::vector<std::string> alone;
  for (int i = 0; i < kRuns; ++i) {
    ProgramResult r = RunIn(dir.path(), MARROWLOCK_BINARY, {Name(i, "bin"), "-i", "-kk.mlk"});
    ASSERT_EQ(r.status, 0) << r.err;
    alone.push_back(ReadFile(dir / Name(i, "enc")));
    ::unlink((dir / Name(i, "enc")).c_str());
  }

  RunAllAtOnce("bin");
  for (int i = 0; i < kRuns; ++i) {
    EXPECT_TRUE(ReadFile(dir / Name(i, "enc")) == alone[static_cast<size_t>(i)])
        << Name(i, "enc") << " differs from the same file encrypted alone";
  }

  RunAllAtOnce("enc");
  for (int i = 0; i < kRuns; ++i) {
    const std::string back = ReadFile(dir / Name(i, "dec"));
    const std::string& original = plain[static_cast<size_t>(i)];
    EXPECT_EQ(back.size(), alone[static_cast<size_t>(i)].size());
    EXPECT_TRUE(back.starts_with(original)) << Name(i, "dec") << " is not its own data";
  }
  EXPECT_FALSE(FileExists(dir / "default.enc"));
  EXPECT_FALSE(FileExists(dir / "default.dec"));
  // Every run wrote its log record, none lost to another: a header and fifteen entries.
  EXPECT_EQ(Lines(ReadFile(LogFilePath())).size(), 1u + 3u * kRuns);
}

}  // namespace
}  // namespace marrowlock
