// SPDX-License-Identifier: MIT
#include "app/help_window.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/paths.h"
#include "platform/system_paths.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace marrowlock {
namespace {

class HelpWindowTest : public ::testing::Test {
 protected:
  void InstallHelp(const std::string& text) {
    std::filesystem::create_directories(dir.home());
    WriteFile(dir.home() + "/mlhelp.txt", text);
  }

  TempDir dir;
  ScriptedPlatform platform;
  ProgramState s{platform};
};

TEST_F(HelpWindowTest, TheTextIsReadOncePerWindowAndAltXOnlyHidesIt) {
  InstallHelp("first text\r\n");
  ShowHelp(s);
  EXPECT_TRUE(s.MLHelp.Exists);
  EXPECT_TRUE(s.MLHelp.Visible);
  EXPECT_EQ(s.MLHelp.Text1.Text, "first text\r\n");

  HelpKeyPressed(s, KeyPress{kKeyX, true, false, true});  // Shift+Alt+X: not ours
  HelpKeyPressed(s, KeyPress{kKeyX, false, false, false});
  EXPECT_TRUE(s.MLHelp.Visible);
  HelpKeyPressed(s, KeyPress{kKeyX, false, false, true});
  EXPECT_FALSE(s.MLHelp.Visible);
  EXPECT_TRUE(s.MLHelp.Exists);

  InstallHelp("changed");
  ShowHelp(s);
  EXPECT_TRUE(s.MLHelp.Visible);
  EXPECT_EQ(s.MLHelp.Text1.Text, "first text\r\n");

  // Closed through the window system: the next F1 makes a new window and reads again.
  HelpWindowClosed(s);
  EXPECT_FALSE(s.MLHelp.Exists);
  ShowHelp(s);
  EXPECT_EQ(s.MLHelp.Text1.Text, "changed");
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(HelpWindowTest, AMissingHelpFileIsReportedOnceAndTheEmptyWindowIsKept) {
  const std::string expected = "Help file " + JoinPath(dir.home(), "mlhelp.txt") + " unavailable.";
  InstallHelp("");
  ShowHelp(s);
  EXPECT_EQ(platform.messages, std::vector<std::string>{expected});
  EXPECT_TRUE(s.MLHelp.Exists);
  EXPECT_FALSE(s.MLHelp.Visible);

  // The next F1 shows the window made then, empty, without reading or saying more.
  InstallHelp("there now");
  ShowHelp(s);
  EXPECT_EQ(platform.messages.size(), 1u);
  EXPECT_TRUE(s.MLHelp.Visible);
  EXPECT_EQ(s.MLHelp.Text1.Text, "");

  // Closed through the window system, it is made anew and the file read again.
  HelpWindowClosed(s);
  ShowHelp(s);
  EXPECT_EQ(s.MLHelp.Text1.Text, "there now");
  EXPECT_EQ(platform.messages.size(), 1u);
}

TEST_F(HelpWindowTest, AnUnusableHelpFileIsNeverCreatedOrRemoved) {
  const std::string expected = "Help file " + JoinPath(dir.home(), "mlhelp.txt") + " unavailable.";
  InstallHelp("");
  ShowHelp(s);
  EXPECT_EQ(ReadFile(dir.home() + "/mlhelp.txt"), "");

  // A folder in its place counts as missing and stays a folder.
  HelpWindowClosed(s);
  std::filesystem::remove(dir.home() + "/mlhelp.txt");
  std::filesystem::create_directory(dir.home() + "/mlhelp.txt");
  ShowHelp(s);
  EXPECT_EQ(platform.messages, (std::vector<std::string>{expected, expected}));
  EXPECT_TRUE(std::filesystem::is_directory(dir.home() + "/mlhelp.txt"));
}

TEST_F(HelpWindowTest, EscapeHidesTheHelpUnlessARunGoesOnWhichItThenAbandons) {
  InstallHelp("text");
  ShowHelp(s);
  const KeyPress escape{kKeyEscape, false, false, false};
  EXPECT_FALSE(HelpKeyPressed(s, KeyPress{kKeyEscape, true, false, false}));  // Shift+Escape
  EXPECT_TRUE(s.MLHelp.Visible);

  s.CommandRunning = true;
  EXPECT_TRUE(HelpKeyPressed(s, escape));
  EXPECT_TRUE(s.AbortRequested);
  EXPECT_TRUE(s.MLHelp.Visible) << "the help stays for the user who is reading it";

  s.CommandRunning = false;
  s.AbortRequested = false;
  EXPECT_TRUE(HelpKeyPressed(s, escape));
  EXPECT_FALSE(s.MLHelp.Visible);
  EXPECT_TRUE(s.MLHelp.Exists);
  EXPECT_FALSE(s.AbortRequested);
}

TEST_F(HelpWindowTest, WithoutAPersonalCopyTheShippedHelpIsShownAndNothingIsWritten) {
  ShowHelp(s);
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_TRUE(s.MLHelp.Visible);
  EXPECT_NE(s.MLHelp.Text1.Text.find("marrowlock-keygen"), std::string::npos);
  EXPECT_FALSE(FileExists(dir.home()));
  // A program in the build folder reads the repository's text from the copy beside it.
  EXPECT_EQ(HelpFileToRead(), JoinPath(ProgramFolder(), "mlhelp.txt"));
  EXPECT_EQ(s.MLHelp.Text1.Text, ReadFile(std::string(MARROWLOCK_SOURCE_DIR) + "/data/mlhelp.txt"));
}

}  // namespace
}  // namespace marrowlock
