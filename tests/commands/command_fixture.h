// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "commands/decrypt_command.h"
#include "commands/encrypt_command.h"
#include "commands/key_file.h"
#include "state/program_exit.h"
#include "state/program_state.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"
#include "support/test_key.h"

namespace marrowlock {

// Installs a key as OpenKeyFile would leave it.
inline void InstallKey(ProgramState& s, const TestKey& key) {
  SetKeyTables(s, key.pair.data(), key.pal.data(), static_cast<int>(key.pair.size()));
}

// A program in a fresh folder with a key installed and the log in the folder's home.
class CommandTest : public ::testing::Test {
 protected:
  TempDir dir;
  ScriptedPlatform platform;
  ProgramState s{platform};
  TestKey key;

  void UseKey(int n, unsigned seed = 7) {
    key = MakeTestKey(n, seed);
    InstallKey(s, key);
  }
  void BinaryMode() {
    s.BinaryMode = true;
    s.Form1.Text1.Text = "(binary mode)";
  }
  std::string LogText() {
    return FileExists(dir.home() + "/mllog.txt") ? ReadFile(dir.home() + "/mllog.txt") : "";
  }
  // Runs a command that must end the program; returns the exit status.
  template <typename Command>
  int ExitStatusOf(Command command) {
    try {
      command(s);
    } catch (const ProgramExit& e) {
      return e.status;
    }
    ADD_FAILURE() << "the program did not end";
    return -1;
  }
};

}  // namespace marrowlock
