// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "files/settings_file.h"
#include "platform/system_paths.h"
#include "support/program_run.h"
#include "support/temp_dir.h"

namespace marrowlock {

// Runs of the real marrowlock-cli (and of marrowlock's batch mode, to compare with)
// in a fresh folder that is also the system folder's parent.
class CliTest : public ::testing::Test {
 protected:
  ProgramResult Cli(const std::vector<std::string>& args, const std::string& input = "",
                    const std::vector<std::string>& environment = {}) {
    ProgramRun run;
    run.program = MARROWLOCK_CLI_BINARY;
    run.args = args;
    run.folder = folder;
    run.input = input;
    run.environment = environment;
    return RunToEnd(run);
  }

  // marrowlock FILE -i -kKEY: what batch mode writes.
  ProgramResult Batch(const std::string& file, const std::string& key) {
    ProgramRun run;
    run.program = MARROWLOCK_BINARY;
    run.args = {file, "-i", "-k" + key};
    run.folder = folder;
    return RunToEnd(run);
  }

  void MakeKey(const std::string& name, int n) {
    ProgramRun run;
    run.program = MARROWLOCK_KEYGEN_BINARY;
    run.args = {"-n", std::to_string(n), dir / name};
    ProgramResult made = RunToEnd(run);
    ASSERT_EQ(made.status, 0) << made.err;
  }

  // Settings whose default key is `name` in the test folder.
  void SetDefaultKey(const std::string& name) {
    EnsureSystemFolder();
    WriteSettingsFile(dir.path(), name);
  }

  static std::string SomeBytes(size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(count, '\0');
    for (char& b : bytes) b = static_cast<char>(random() & 0xff);
    return bytes;
  }

  TempDir dir;
  std::string folder = dir.path();
};

}  // namespace marrowlock
