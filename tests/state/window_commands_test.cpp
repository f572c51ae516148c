// SPDX-License-Identifier: MIT
#include "state/window_commands.h"

#include <gtest/gtest.h>

#include "support/scripted_platform.h"

namespace marrowlock {
namespace {

TEST(WindowCommandsTest, ToggleBinaryModeTwiceReturnsToAnEmptyTextMode) {
  ScriptedPlatform platform;
  ProgramState s(platform);
  s.Form1.Text1.Text = "typed";
  s.EncryptSourceName = "a";
  s.LoadedFileName = "b";
  s.BinaryData.Append("held");

  ToggleBinaryMode(s);
  EXPECT_TRUE(s.BinaryMode);
  EXPECT_EQ(s.Form1.Text1.Text, "(binary mode)");
  EXPECT_TRUE(s.Form1.Text1.Locked);
  EXPECT_EQ(s.Form1.Label3.Caption, "Encrypted binary()");

  ToggleBinaryMode(s);
  EXPECT_FALSE(s.BinaryMode);
  EXPECT_EQ(s.Form1.Text1.Text, "");
  EXPECT_EQ(s.Form1.Text2.Text, "");
  EXPECT_FALSE(s.Form1.Text1.Locked);
  EXPECT_EQ(s.Form1.Label3.Caption, "Encrypted text()");
  EXPECT_EQ(s.Form1.Label5.Caption, "Decrypted File()");
  EXPECT_TRUE(s.EncryptSourceName.empty());
  EXPECT_TRUE(s.LoadedFileName.empty());
  EXPECT_TRUE(s.BinaryData.empty());
  EXPECT_FALSE(s.Form1.BinaryModeChecked);
}

TEST(WindowCommandsTest, ClearTextInBinaryModeKeepsTheBinaryModeText) {
  ScriptedPlatform platform;
  ProgramState s(platform);
  ToggleBinaryMode(s);
  s.PendingKeyFile = "k.mlk";
  ClearText(s);
  EXPECT_EQ(s.Form1.Text1.Text, "(binary mode)");
  EXPECT_TRUE(s.PendingKeyFile.empty());
}

TEST(WindowCommandsTest, ExitProgramClosesTheWindowsAndUnwindsWithItsStatus) {
  ScriptedPlatform platform;
  ProgramState s(platform);
  s.Form1.Visible = true;
  try {
    ExitProgram(s, kExitFailure);
    FAIL();
  } catch (const ProgramExit& e) {
    EXPECT_EQ(e.status, kExitFailure);
  }
  EXPECT_EQ(platform.closed_windows, 1);
  EXPECT_FALSE(s.Form1.Visible);
}

}  // namespace
}  // namespace marrowlock
