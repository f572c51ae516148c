// SPDX-License-Identifier: MIT
// Several batch runs started at once in one folder, none waiting for another: each
// must produce exactly its own output, and none may leave a working file behind.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <thread>
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
    std::vector<ProgramResult> results(kRuns);
    std::vector<std::thread> runs;
    for (int i = 0; i < kRuns; ++i) {
      runs.emplace_back([this, i, extension, &results] {
        results[static_cast<size_t>(i)] =
            RunIn(dir.path(), MARROWLOCK_BINARY, {Name(i, extension), "-i", "-kk.mlk"});
      });
    }
    for (std::thread& run : runs) run.join();
    for (int i = 0; i < kRuns; ++i) {
      EXPECT_EQ(results[static_cast<size_t>(i)].status, 0)
          << "run " << i << ": " << results[static_cast<size_t>(i)].err;
    }
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
    std::filesystem::remove(dir / Name(i, "enc"));
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
