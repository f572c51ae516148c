// SPDX-License-Identifier: MIT
#include "files/setup_dialog.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <functional>

#include "files/settings_file.h"
#include "platform/file_system.h"
#include "platform/system_paths.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace marrowlock {
namespace {

// A run of the dialog in which the user does `act` once it is shown.
class SetupDialogTest : public ::testing::Test {
 protected:
  SetupDialogTest() : s(platform) {
    MakeFolder(dir / "keys", 0755);
    MakeFolder(dir / "other", 0755);
    WriteFile(dir / "keys/b.mlk", "k");
    WriteFile(dir / "keys/A.MLK", "k");
    WriteFile(dir / "keys/notes.txt", "k");
    MakeFolder(dir / "keys/folder.mlk", 0755);
    WriteFile(dir / "other/b.mlk", "k");
    WriteFile(dir / "here.mlk", "k");
  }

  void UserDoes(std::function<void()> act) {
    platform.on_events = [this, act] {
      ASSERT_TRUE(s.Dialog.Visible);
      act();
      if (s.Dialog.Visible) {
        platform.on_events = nullptr;  // a second wait would mean the dialog did not close
        ADD_FAILURE() << "dialog still open";
        SetupCancel(s);
      }
    };
  }

  void Select(const std::string& name) {
    for (size_t i = 0; i < s.Dialog.Files.size(); ++i) {
      if (s.Dialog.Files[i] == name) return SetupFileSelected(s, static_cast<int>(i));
    }
    ADD_FAILURE() << name << " is not listed";
  }

  std::string Settings() { return ReadFile(SettingsFilePath()); }

  TempDir dir;
  ScriptedPlatform platform;
  ProgramState s;
};

TEST_F(SetupDialogTest, OpensOnTheWorkingDirectoryWithoutSettingsAndListsKeyFilesOnly) {
  UserDoes([&] {
    EXPECT_EQ(s.Dialog.Directory, dir.path());
    EXPECT_EQ(s.Dialog.Files, std::vector<std::string>{"here.mlk"});
    EXPECT_EQ(s.Dialog.StartDirectory, dir.path());
    EXPECT_EQ(s.Dialog.Drive, "/");
    SetupDirectoryChanged(s, dir / "keys");
    EXPECT_EQ(s.Dialog.Files, (std::vector<std::string>{"A.MLK", "b.mlk"}));
    EXPECT_EQ(s.Dialog.SelectedFile, -1);
    SetupCancel(s);
  });
  RunSetupDialog(s);
  EXPECT_FALSE(s.Dialog.Exists);
  EXPECT_FALSE(FileExists(SettingsFilePath()));
}

TEST_F(SetupDialogTest, OpeningDeletesAnEmptySettingsFile) {
  EnsureSystemFolder();
  WriteFile(SettingsFilePath(), "");
  UserDoes([&] { SetupCancel(s); });
  RunSetupDialog(s);
  EXPECT_FALSE(FileExists(SettingsFilePath()));
}

TEST_F(SetupDialogTest, OpensOnTheStoredDirectoryWithNothingPreselected) {
  WriteSettingsFile(dir / "keys", "b.mlk");
  UserDoes([&] {
    EXPECT_EQ(s.Dialog.Directory, dir / "keys");
    EXPECT_EQ(s.Dialog.SelectedFile, -1);
    SetupCancel(s);
  });
  RunSetupDialog(s);
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(SetupDialogTest, AMissingStoredDirectoryIsReportedAndTheListsStayHere) {
  WriteSettingsFile(dir / "gone", "b.mlk");
  UserDoes([&] {
    EXPECT_EQ(s.Dialog.Directory, dir.path());
    SetupCancel(s);
  });
  RunSetupDialog(s);
  EXPECT_EQ(platform.messages, std::vector<std::string>{"Couldn't find proper key directory."});
}

TEST_F(SetupDialogTest, OkWritesTheSelectedFileAndItsDirectory) {
  UserDoes([&] {
    SetupOk(s);  // nothing selected, nothing chosen before: the dialog stays open
    EXPECT_TRUE(s.Dialog.Visible);
    SetupDirectoryChanged(s, dir / "keys");
    Select("b.mlk");
    SetupOk(s);
  });
  RunSetupDialog(s);
  EXPECT_EQ(ReadSettingsFile()->KeyDirectory, dir / "keys");
  EXPECT_EQ(ReadSettingsFile()->DefaultKeyName, "b.mlk");
  EXPECT_EQ(s.ChosenKeyName, "b.mlk");
  EXPECT_EQ(WorkingDirectory(), dir.path()) << "OK does not change the working directory";
}

TEST_F(SetupDialogTest, DoubleClickChoosesAndClosesButNotWithoutASelection) {
  UserDoes([&] {
    SetupFileDoubleClicked(s);
    EXPECT_TRUE(s.Dialog.Visible);
    EXPECT_FALSE(FileExists(SettingsFilePath()));
    Select("here.mlk");
    SetupFileDoubleClicked(s);
  });
  RunSetupDialog(s);
  EXPECT_EQ(ReadSettingsFile()->DefaultKeyName, "here.mlk");
}

TEST_F(SetupDialogTest, CancelAndAltXReturnToTheStartDirectoryAndWriteNothing) {
  UserDoes([&] {
    SetWorkingDirectory(dir / "other");                      // as a platform's folder list may do
    SetupKeyPressed(s, KeyPress{kKeyX, false, true, true});  // Ctrl+Alt+X: no effect
    SetupKeyPressed(s, KeyPress{kKeyX});                     // plain X: no effect
    EXPECT_TRUE(s.Dialog.Visible);
    SetupKeyPressed(s, KeyPress{kKeyX, false, false, true});
  });
  RunSetupDialog(s);
  EXPECT_EQ(WorkingDirectory(), dir.path());

  UserDoes([&] {
    SetWorkingDirectory(dir / "keys");
    Select("here.mlk");
    SetupCancel(s);
  });
  RunSetupDialog(s);
  EXPECT_EQ(WorkingDirectory(), dir.path());
  EXPECT_FALSE(FileExists(SettingsFilePath()));
}

TEST_F(SetupDialogTest, AnUnavailableDriveReturnsToTheStartDrive) {
  platform.drives = {"/", dir / "nowhere"};
  UserDoes([&] {
    SetupDriveChanged(s, dir / "nowhere");
    EXPECT_EQ(s.Dialog.Drive, "/");
    EXPECT_EQ(s.Dialog.Directory, "/");
    SetupDriveChanged(s, dir / "keys");  // a volume mounted there
    EXPECT_EQ(s.Dialog.Drive, dir / "keys");
    EXPECT_EQ(s.Dialog.Files, (std::vector<std::string>{"A.MLK", "b.mlk"}));
    SetupCancel(s);
  });
  RunSetupDialog(s);
  EXPECT_EQ(platform.messages, std::vector<std::string>{"That drive is unavailable."});
}

TEST_F(SetupDialogTest, OverlongPathsAreRefusedAndTheDialogStaysOpen) {
  std::string deep = dir.path();
  while (deep.size() <= 260) {
    deep += "/dddddddddddddddddddddddddddddd";
    ASSERT_TRUE(MakeFolder(deep, 0755));
  }
  WriteFile(deep + "/k.mlk", "k");
  UserDoes([&] {
    SetupDirectoryChanged(s, deep);
    Select("k.mlk");
    SetupOk(s);
    EXPECT_TRUE(s.Dialog.Visible);
    EXPECT_EQ(s.ChosenKeyName, "");
    SetupCancel(s);
  });
  RunSetupDialog(s);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_NE(platform.messages[0].find("255"), std::string::npos);
  EXPECT_FALSE(FileExists(SettingsFilePath()));
}

class ModifyDefaultsTest : public SetupDialogTest {
 protected:
  ModifyDefaultsTest() {
    WriteSettingsFile(dir / "keys", "b.mlk");
    s.KeyDirectory = dir / "keys";
    s.DefaultKeyName = "b.mlk";
    s.KeyLoaded = true;
    s.Form1.Visible = true;
    s.Form1.Label6.Caption = "Current key(b.mlk)";
  }

  void ExpectUnchanged() {
    EXPECT_TRUE(s.KeyLoaded);
    EXPECT_EQ(s.Form1.Label6.Caption, "Current key(b.mlk)");
    EXPECT_EQ(s.KeyDirectory, dir / "keys");
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_TRUE(s.Form1.Visible);
  }
};

TEST_F(ModifyDefaultsTest, HidesTheMainWindowWhileTheDialogIsOpen) {
  UserDoes([&] {
    EXPECT_FALSE(s.Form1.Visible);
    SetupCancel(s);
  });
  std::string before = Settings();
  ModifyDefaults(s);
  EXPECT_EQ(Settings(), before);
  ExpectUnchanged();
}

TEST_F(ModifyDefaultsTest, ASameNameInAnotherDirectoryIsAChange) {
  UserDoes([&] {
    SetupDirectoryChanged(s, dir / "other");
    Select("b.mlk");
    SetupOk(s);
  });
  ModifyDefaults(s);
  EXPECT_EQ(s.KeyDirectory, dir / "other");
  EXPECT_EQ(s.DefaultKeyName, "b.mlk");
  EXPECT_FALSE(s.KeyLoaded);
  EXPECT_EQ(s.Form1.Label6.Caption, "Current key()");
  EXPECT_EQ(platform.messages,
            std::vector<std::string>{"Default key and key dir successfully changed."});
}

TEST_F(ModifyDefaultsTest, ADifferenceInLetterCaseAloneIsAChange) {
  UserDoes([&] {
    Select("A.MLK");
    SetupOk(s);
  });
  ModifyDefaults(s);
  EXPECT_EQ(s.DefaultKeyName, "A.MLK");
  EXPECT_FALSE(s.KeyLoaded);
}

TEST_F(ModifyDefaultsTest, TheSameChoiceRewritesIdenticalBytesAndReportsNothing) {
  std::string before = Settings();
  UserDoes([&] {
    Select("b.mlk");
    SetupFileDoubleClicked(s);
  });
  ModifyDefaults(s);
  EXPECT_EQ(Settings(), before);
  ExpectUnchanged();
}

TEST_F(ModifyDefaultsTest, OkWithoutASelectionWritesTheEarlierChoiceAgain) {
  UserDoes([&] {
    SetupDirectoryChanged(s, dir / "other");
    Select("b.mlk");
    SetupFileDoubleClicked(s);
  });
  ModifyDefaults(s);
  platform.messages.clear();
  s.KeyLoaded = true;

  // Someone else changes the file between the two openings; OK puts the choice back.
  WriteSettingsFile(dir / "keys", "b.mlk");
  UserDoes([&] { SetupOk(s); });
  ModifyDefaults(s);
  EXPECT_EQ(ReadSettingsFile()->KeyDirectory, dir / "other");

  // The same again, with nothing changed in between: no change is reported.
  platform.messages.clear();
  s.KeyLoaded = true;
  UserDoes([&] { SetupOk(s); });
  ModifyDefaults(s);
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_TRUE(s.KeyLoaded);
}

TEST_F(ModifyDefaultsTest, ASelectionMadeNowWinsOverTheEarlierChoice) {
  UserDoes([&] {
    Select("A.MLK");
    SetupOk(s);
  });
  ModifyDefaults(s);
  UserDoes([&] {
    Select("b.mlk");
    SetupOk(s);
  });
  ModifyDefaults(s);
  EXPECT_EQ(ReadSettingsFile()->DefaultKeyName, "b.mlk");
  EXPECT_EQ(s.DefaultKeyName, "b.mlk");
}

TEST_F(ModifyDefaultsTest, WithoutSettingsAfterwardsNothingChanges) {
  std::filesystem::remove(SettingsFilePath());
  WriteFile(SettingsFilePath(), "");
  UserDoes([&] { SetupCancel(s); });
  ModifyDefaults(s);
  EXPECT_FALSE(FileExists(SettingsFilePath()));
  ExpectUnchanged();
}

}  // namespace
}  // namespace marrowlock
