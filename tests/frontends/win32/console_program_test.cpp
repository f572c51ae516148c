// SPDX-License-Identifier: MIT
// The two faces of the program on Windows: marrowlock.exe for the window (Explorer,
// shortcuts: no console may flash up) and marrowlock.com for prompts (cmd.exe finds
// it first, waits for it and keeps its exit status).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "support/program_run.h"
#include "support/temp_dir.h"

namespace marrowlock {
namespace {

// The subsystem a program's PE header asks for: 2 a window, 3 a console.
int Subsystem(const std::string& program) {
  const std::string image = ReadFile(program);
  if (image.size() < 0x40) return -1;
  const uint32_t pe = static_cast<uint8_t>(image[0x3C]) | static_cast<uint8_t>(image[0x3D]) << 8 |
                      static_cast<uint8_t>(image[0x3E]) << 16 |
                      static_cast<uint32_t>(static_cast<uint8_t>(image[0x3F])) << 24;
  // The signature (4 bytes), the file header (20), then Subsystem at 68 in the
  // optional header.
  const size_t at = pe + 4 + 20 + 68;
  if (image.size() < at + 2 || image.compare(pe, 4, std::string("PE\0\0", 4)) != 0) return -1;
  return static_cast<uint8_t>(image[at]) | static_cast<uint8_t>(image[at + 1]) << 8;
}

TEST(ConsoleProgramTest, TheWindowsProgramIsAWindowProgramAndTheComProgramAConsoleOne) {
  EXPECT_EQ(Subsystem(MARROWLOCK_BINARY), 2);
  EXPECT_EQ(Subsystem(MARROWLOCK_CONSOLE_BINARY), 3);
}

// Typed at a prompt in the program's folder, "marrowlock" is marrowlock.com: its
// messages reach the prompt's streams and its status is the command's.
TEST(ConsoleProgramTest, APromptRunsTheConsoleProgramAndKeepsItsStatus) {
  TempDir dir;
  std::string program_folder = MARROWLOCK_CONSOLE_BINARY;
  program_folder.erase(program_folder.find_last_of("/\\"));
  ProgramRun run;
  run.program = "C:\\windows\\system32\\cmd.exe";
  run.args = {"/c", "marrowlock missing.enc -i -k" + (dir / "none.mlk")};
  run.folder = program_folder;
  ProgramResult result = RunToEnd(run);
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("marlk: "), std::string::npos) << result.err;

  run.args = {"/c", "marrowlock --version"};
  result = RunToEnd(run);
  EXPECT_EQ(result.status, 0);
  EXPECT_NE(result.out.find("1."), std::string::npos) << result.out;
}

}  // namespace
}  // namespace marrowlock
