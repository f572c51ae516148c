// SPDX-License-Identifier: MIT
#include "app/start_up.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "files/settings_file.h"
#include "files/setup_dialog.h"
#include "platform/file_system.h"
#include "platform/system_paths.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace marrowlock {
namespace {

class StartUpTest : public ::testing::Test {
 protected:
  StartUpTest() : s(platform) {}

  void GiveSettings() { WriteSettingsFile(dir.path(), "k.mlk"); }

  TempDir dir;
  ScriptedPlatform platform;
  ProgramState s;
};

TEST_F(StartUpTest, WithSettingsAndNoCommandLineTheWindowStartsInItsStartState) {
  GiveSettings();
  s.BlockLength = 4;
  s.BinaryMode = true;
  s.ChunkSize = 1;
  EXPECT_FALSE(RunStartUp(s));
  EXPECT_EQ(s.KeyDirectory, dir.path());
  EXPECT_EQ(s.DefaultKeyName, "k.mlk");
  EXPECT_EQ(s.LogPath, LogFilePath());
  EXPECT_EQ(s.BlockLength, 16);
  EXPECT_FALSE(s.KeyLoaded);
  EXPECT_FALSE(s.BinaryMode);
  EXPECT_EQ(s.ChunkSize, 4001);
  EXPECT_EQ(s.FlushThreshold, 1024);
  EXPECT_EQ(s.DisplayLimit, 32000);
  EXPECT_EQ(s.LineBreak, "\r\n");
  EXPECT_TRUE(s.UseDefaultKey);
  EXPECT_FALSE(s.Dialog.Exists) << "no setup dialog when there are settings";
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(StartUpTest, WithoutSettingsTheDialogRunsFirstAndCancelEndsTheProgram) {
  platform.on_events = [&] {
    EXPECT_FALSE(s.Form1.Visible);
    SetupCancel(s);
  };
  std::optional<int> status = RunStartUp(s);
  ASSERT_TRUE(status);
  EXPECT_EQ(*status, kExitFailure);
  EXPECT_TRUE(platform.messages.empty()) << "a cancel ends the program without a message";
  EXPECT_FALSE(s.Form1.Visible);
  EXPECT_FALSE(FileExists(SettingsFilePath()));
}

TEST_F(StartUpTest, WithoutSettingsOkOnAKeyWritesThemAndStartUpGoesOn) {
  WriteFile(dir / "k.mlk", std::string(32, '\1'));
  platform.on_events = [&] {
    SetupFileSelected(s, 0);
    SetupOk(s);
  };
  EXPECT_FALSE(RunStartUp(s));
  EXPECT_EQ(s.KeyDirectory, dir.path());
  EXPECT_EQ(s.DefaultKeyName, "k.mlk");
  EXPECT_TRUE(ReadSettingsFile());
}

TEST_F(StartUpTest, APendingKeyOfThirtyTwoBytesIsInstalled) {
  GiveSettings();
  std::string key(32, '\x07');
  WriteFile(dir / "default.ppl", key);
  EXPECT_FALSE(RunStartUp(s));
  EXPECT_EQ(ReadFile(dir / "default.mlk"), key);
  EXPECT_FALSE(FileExists(dir / "default.ppl"));
}

TEST_F(StartUpTest, APendingKeyOfAnyOtherLengthIsDeleted) {
  GiveSettings();
  for (size_t length : {0u, 16u, 31u, 33u}) {
    WriteFile(dir / "default.ppl", std::string(length, 'k'));
    EXPECT_FALSE(RunStartUp(s));
    EXPECT_FALSE(FileExists(dir / "default.ppl")) << length;
    EXPECT_FALSE(FileExists(dir / "default.mlk")) << length;
  }
}

// Only a file of the user's own is installed or deleted: a link or a folder at the
// name is left alone, with one message, and start-up goes on.
TEST_F(StartUpTest, APendingKeyThatIsNotAFileIsIgnoredWithOneMessage) {
  GiveSettings();
  WriteFile(dir / "elsewhere", std::string(32, 'e'));
#ifdef _WIN32  // where only administrators make symbolic links
  const std::vector<const char*> kinds = {"folder"};
#else
  const std::vector<const char*> kinds = {"link", "folder"};
#endif
  for (const char* kind : kinds) {
    SCOPED_TRACE(kind);
    if (std::string(kind) == "link") {
      std::filesystem::create_symlink(dir / "elsewhere", dir / "default.ppl");
    } else {
      std::filesystem::create_directory(dir / "default.ppl");
    }
    platform.messages.clear();
    EXPECT_FALSE(RunStartUp(s));
    EXPECT_EQ(platform.messages,
              std::vector<std::string>{"Ignored default.ppl: it is not a regular file."});
    EXPECT_FALSE(FileExists(dir / "default.mlk"));
    EXPECT_EQ(ReadFile(dir / "elsewhere"), std::string(32, 'e'));
    std::filesystem::remove(dir / "default.ppl");
  }
}

TEST_F(StartUpTest, NoPendingKeyLeavesNoFileBehind) {
  GiveSettings();
  EXPECT_FALSE(RunStartUp(s));
  EXPECT_FALSE(FileExists(dir / "default.ppl"));
  EXPECT_FALSE(FileExists(dir / "default.mlk"));
}

TEST_F(StartUpTest, AnExistingDefaultKeyIsKeptAndTheTrapReportsTheRename) {
  GiveSettings();
  std::string old_key(16, 'o');
  WriteFile(dir / "default.mlk", old_key);
  WriteFile(dir / "default.ppl", std::string(32, 'n'));
  std::optional<int> status = RunStartUp(s);
  ASSERT_TRUE(status);
  EXPECT_EQ(*status, kExitTrapped);
  EXPECT_EQ(ReadFile(dir / "default.mlk"), old_key);
  EXPECT_TRUE(FileExists(dir / "default.ppl"));
  ASSERT_EQ(platform.messages.size(), 2u);
  EXPECT_EQ(platform.messages[0], "75   Cannot rename default.ppl to default.mlk: File exists.");
  EXPECT_EQ(platform.messages[1], "Source=Marrowlock file access");
  EXPECT_EQ(platform.closed_windows, 1);
}

TEST_F(StartUpTest, TheTrapReportsAnyOtherFailureAndEndsTheProgram) {
  platform.on_events = [] { throw std::logic_error("broken promise"); };
  std::optional<int> status = RunStartUp(s);
  ASSERT_TRUE(status);
  EXPECT_EQ(*status, kExitTrapped);
  EXPECT_EQ(platform.messages,
            (std::vector<std::string>{"51   broken promise", "Source=Marrowlock"}));
}

}  // namespace
}  // namespace marrowlock
