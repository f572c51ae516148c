// SPDX-License-Identifier: MIT
#include "commands/key_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <string>
#include <vector>

#include "commands/block_transform.h"
#include "platform/paths.h"
#include "state/program_exit.h"
#include "support/posix_only.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace marrowlock {
namespace {

// 2N bytes: Pair = 1, 2, .., N and Pal = N+1, .., 2N (mod 256).
std::string KeyBytes(size_t length, int first = 1) {
  std::string bytes(length, '\0');
  for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>(first + static_cast<int>(i));
  return bytes;
}

class KeyFileTest : public ::testing::Test {
 protected:
  // Opens the key named `pending`; returns the messages it showed.
  std::vector<std::string> Open(const std::string& pending) {
    platform.messages.clear();
    s.PendingKeyFile = pending;
    OpenKeyFile(s);
    return platform.messages;
  }
  std::vector<uint8_t> EncryptOnce(uint8_t fill) {
    std::fill(s.PlainBlock.begin(), s.PlainBlock.begin() + s.BlockLength, fill);
    MultiplyBlock(s, 0);
    StoreBlockResult(s, 0);
    return std::vector<uint8_t>(s.CipherBlock.begin(), s.CipherBlock.begin() + s.BlockLength);
  }

  TempDir dir;
  ScriptedPlatform platform;
  ProgramState s{platform};
};

TEST_F(KeyFileTest, ValidLengthsSetBlockLengthAndTables) {
  for (size_t length : {2, 4, 8, 16, 32, 512}) {
    const size_t n = length / 2;
    WriteFile(dir / "k.mlk", KeyBytes(length));
    ASSERT_TRUE(Open("k").empty()) << length;
    EXPECT_TRUE(s.KeyLoaded);
    EXPECT_EQ(s.BlockLength, static_cast<int>(n));
    EXPECT_TRUE(s.PendingKeyFile.empty());
    for (const Cells* table :
         {&s.PlainBlock, &s.CipherBlock, &s.DecryptedBlock, &s.PairKey, &s.PalKey})
      EXPECT_EQ(table->size(), n + 1);
    EXPECT_EQ(s.ProductCells.size(), 2 * n + 1);
    EXPECT_EQ(s.PairKey[0], 1);
    EXPECT_EQ(s.PairKey[n - 1], static_cast<uint8_t>(n));
    EXPECT_EQ(s.PalKey[0], static_cast<uint8_t>(n + 1));
    EXPECT_EQ(s.PalKey[n - 1], static_cast<uint8_t>(2 * n));
    EXPECT_EQ(s.PairKey[n], 0) << "the extra cell stays unused";
  }
}

TEST_F(KeyFileTest, NewKeyEmptiesTheBlockTables) {
  WriteFile(dir / "big.mlk", KeyBytes(32));
  WriteFile(dir / "small.mlk", KeyBytes(4, 9));
  Open("big");
  EncryptOnce(0x77);
  Open("small");
  EXPECT_EQ(s.BlockLength, 2);
  EXPECT_EQ(s.PlainBlock, Cells(3, 0));
  EXPECT_EQ(s.CipherBlock, Cells(3, 0));
  EXPECT_EQ(s.ProductCells, Cells(5, 0));
  EXPECT_EQ(s.PairKey, (Cells{9, 10, 0}));
}

// Every refusal leaves the key in force, and it still encrypts as before.
TEST_F(KeyFileTest, RefusalsKeepTheOldKey) {
  WriteFile(dir / "good.mlk", KeyBytes(32, 3));
  Open("good");
  const std::vector<uint8_t> before = EncryptOnce(0x42);

  for (size_t length : {1, 3, 31, 33, 64, 128, 256, 1024}) {
    WriteFile(dir / "bad.mlk", KeyBytes(length));
    EXPECT_EQ(Open("bad"), std::vector<std::string>{"Corrupt key file, cannot load file bad.mlk."})
        << length;
    EXPECT_EQ(s.PendingKeyFile, "bad") << "the name tried stays pending";
  }
  EXPECT_EQ(Open("missing"), std::vector<std::string>{"No such key file, missing.mlk."});
  MakeFolder(dir / "folder.mlk", 0755);
  EXPECT_EQ(Open("folder"), std::vector<std::string>{"No such key file, folder.mlk."});

  EXPECT_TRUE(s.KeyLoaded);
  EXPECT_EQ(s.BlockLength, 16);
  EXPECT_EQ(EncryptOnce(0x42), before);
  EXPECT_EQ(s.Form1.Label6.Caption, "Current key(good.mlk)");
}

TEST_F(KeyFileTest, MissingKeyLeavesNoFileAndEmptyKeyIsDeleted) {
  Open("ghost");
  EXPECT_FALSE(FileExists(dir / "ghost.mlk"));
  EXPECT_FALSE(s.KeyLoaded);

  WriteFile(dir / "empty.mlk", "");
  EXPECT_EQ(Open("empty"), std::vector<std::string>{"No such key file, empty.mlk."});
  EXPECT_FALSE(FileExists(dir / "empty.mlk"));

  MakeFolder(dir / "folder.mlk", 0755);
  Open("folder");
  EXPECT_TRUE(std::filesystem::is_directory(dir / "folder.mlk")) << "a folder is never deleted";
}

// The resolved name shows in the message for a missing key.
TEST_F(KeyFileTest, ExtensionIsForcedOnTheFileNameOnly) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"k", "k.mlk"},
      {"k.", "k.mlk"},
      {"my.old.key", "my.mlk"},
      {"k.txt", "k.mlk"},
      {"a.b/k", "a.b/k.mlk"},
      {"./k", "./k.mlk"},
      {"../x.y/k.z", "../x.y/k.mlk"},
      {".key", ".key.mlk"},
      {".key.old", ".key.mlk"},
      {"KEY.MLK", "KEY.MLK"},
      {"k.Mlk", "k.Mlk"},
      {"k.mlk.old", "k.mlk"},
  };
  for (const auto& [given, resolved] : cases) {
    EXPECT_EQ(Open(given), std::vector<std::string>{"No such key file, " + resolved + "."})
        << given;
  }
}

TEST_F(KeyFileTest, KeyDirectoryIsUsedForRelativeNamesOnly) {
  MakeFolder(dir / "keys", 0755);
  WriteFile(dir / "keys/k.mlk", KeyBytes(8));
  WriteFile(dir / "elsewhere.mlk", KeyBytes(16));
  s.KeyDirectory = dir / "keys";

  EXPECT_TRUE(Open("k").empty());
  EXPECT_EQ(s.BlockLength, 4);
  EXPECT_EQ(s.Form1.Label6.Caption, "Current key(k.mlk)");

  EXPECT_TRUE(Open(dir / "elsewhere").empty())
      << "an absolute name is not put in the key directory";
  EXPECT_EQ(s.BlockLength, 8);
  EXPECT_EQ(s.Form1.Label6.Caption, "Current key(" + (dir / "elsewhere.mlk") + ")");

  EXPECT_EQ(Open("nope"), std::vector<std::string>{"No such key file, " +
                                                   JoinPath(dir / "keys", "nope.mlk") + "."});

  // The key directory being where we stand: names stay relative.
  s.KeyDirectory = dir.path();
  EXPECT_TRUE(Open("elsewhere").empty());
  EXPECT_EQ(s.Form1.Label6.Caption, "Current key(elsewhere.mlk)");
}

TEST_F(KeyFileTest, DisplayShowsEveryByteAndLabel6TheWholeName) {
  MakeFolder(dir / "sub", 0755);
  WriteFile(dir / "sub/k.mlk", std::string("\x07\x00\xff\x10", 4) + std::string(4, '\0'));
  Open("sub/k");
  EXPECT_EQ(s.Form1.Text3.Text, "(7) (0) (255) (16) ");
  EXPECT_EQ(s.Form1.Text4.Text, "(0) (0) (0) (0) ");
  EXPECT_EQ(s.Form1.Label6.Caption, "Current key(sub/k.mlk)");
  EXPECT_TRUE(s.Form1.FocusText1);
  EXPECT_GT(platform.redraws, 0);
  EXPECT_FALSE(s.Form1.Text3.Visible) << "opening a key does not show the display";
}

TEST_F(KeyFileTest, ToggleKeyDisplayShowsAndHidesTogether) {
  ToggleKeyDisplay(s);
  EXPECT_TRUE(s.Form1.Label4.Visible && s.Form1.Text3.Visible && s.Form1.Text4.Visible);
  ToggleKeyDisplay(s);
  EXPECT_FALSE(s.Form1.Label4.Visible || s.Form1.Text3.Visible || s.Form1.Text4.Visible);
}

TEST_F(KeyFileTest, BatchModeEndsOnRefusalAndLeavesTheWindowAlone) {
  s.BatchMode = true;
  WriteFile(dir / "k.mlk", KeyBytes(32));
  EXPECT_TRUE(Open("k").empty());
  EXPECT_TRUE(s.KeyLoaded);
  EXPECT_EQ(s.Form1.Label6.Caption, "Current Key ()");
  EXPECT_TRUE(s.Form1.Text3.Text.empty());

  WriteFile(dir / "bad.mlk", KeyBytes(64));
  for (const char* name : {"missing", "bad"}) {
    try {
      Open(name);
      ADD_FAILURE() << name << ": the program should have ended";
    } catch (const ProgramExit& e) {
      EXPECT_EQ(e.status, kExitFailure) << name;
    }
  }
  EXPECT_EQ(platform.messages,
            std::vector<std::string>{"Corrupt key file, cannot load file bad.mlk."});
}

// A file failure is reported, not fatal, and the key in force stays.
TEST_F(KeyFileTest, FileFailureIsReportedAndKeepsTheKey) {
  MARROWLOCK_POSIX_ONLY(kRemovedCurrentFolder);
  WriteFile(dir / "k.mlk", KeyBytes(32));
  Open("k");
  MakeFolder(dir / "gone", 0755);
  SetWorkingDirectory(dir / "gone");
  std::filesystem::remove(dir / "gone");

  std::vector<std::string> shown = Open("k");
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].rfind("Cannot ", 0), 0u) << shown[0];
  EXPECT_TRUE(s.KeyLoaded);
  EXPECT_EQ(s.BlockLength, 16);

  s.BatchMode = true;
  EXPECT_THROW(Open("k"), ProgramExit);
  SetWorkingDirectory(dir.path());
}

class KeyDialogTest : public KeyFileTest {
 protected:
  void SetUp() override {
    MakeFolder(dir / "keys", 0755);
    MakeFolder(dir / "other", 0755);
    WriteFile(dir / "keys/k.mlk", KeyBytes(8));
    WriteFile(dir / "other/k.mlk", KeyBytes(16));
    WriteFile(dir / "k.mlk", KeyBytes(32));
  }
  void Choose(const std::optional<std::string>& answer) {
    platform.file_answers.push_back(answer);
    Open("");
  }
};

TEST_F(KeyDialogTest, AsksWithTheKeyDialogAndCancelChangesNothing) {
  s.KeyDirectory = dir / "keys";
  Choose(std::nullopt);
  ASSERT_EQ(platform.file_requests.size(), 1u);
  const FileDialogRequest& request = platform.file_requests[0];
  EXPECT_EQ(request.Title, "New Key");
  EXPECT_EQ(request.Filter, "Key Files (*.mlk)|*.mlk");
  EXPECT_EQ(request.FilterIndex, 1);
  EXPECT_EQ(request.InitialDirectory, dir / "keys");
  EXPECT_TRUE(request.FileName.empty());
  EXPECT_FALSE(s.KeyLoaded);
  EXPECT_TRUE(s.PendingKeyFile.empty());
  EXPECT_TRUE(platform.messages.empty());
}

// Whatever folder the key is chosen in, that is the file opened.
TEST_F(KeyDialogTest, OpensTheChosenFile) {
  Choose(dir / "k.mlk");
  EXPECT_EQ(s.BlockLength, 16) << "working directory, no key directory";
  EXPECT_EQ(s.Form1.Label6.Caption, "Current key(k.mlk)");

  Choose(dir / "other/k.mlk");
  EXPECT_EQ(s.BlockLength, 8) << "another folder, no key directory";

  s.KeyDirectory = dir / "keys";
  Choose(dir / "keys/k.mlk");
  EXPECT_EQ(s.BlockLength, 4) << "the key directory";
  EXPECT_EQ(s.Form1.Label6.Caption, "Current key(k.mlk)");

  Choose(dir / "k.mlk");
  EXPECT_EQ(s.BlockLength, 16) << "the working directory while a key directory is set";
  EXPECT_EQ(s.Form1.Label6.Caption, "Current key(" + (dir / "k.mlk") + ")");

  Choose(dir / "other/k.mlk");
  EXPECT_EQ(s.BlockLength, 8) << "another folder while a key directory is set";
  EXPECT_EQ(WorkingDirectory(), dir.path());
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(KeyDialogTest, RefusedChoiceStaysPendingWithoutItsFolder) {
  s.KeyDirectory = dir / "keys";
  WriteFile(dir / "keys/odd.mlk", "abc");
  Choose(dir / "keys/odd.mlk");
  EXPECT_EQ(platform.messages, std::vector<std::string>{"Corrupt key file, cannot load file " +
                                                        JoinPath(dir / "keys", "odd.mlk") + "."});
  EXPECT_EQ(s.PendingKeyFile, "odd.mlk");
  EXPECT_FALSE(s.KeyLoaded);
}

}  // namespace
}  // namespace marrowlock
