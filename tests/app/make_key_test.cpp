// SPDX-License-Identifier: MIT
#include "app/make_key.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_table.h"
#include "app/dispatch.h"
#include "cipher/key_inverse.h"
#include "files/setup_dialog.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace marrowlock {
namespace {

class MakeKeyTest : public ::testing::Test {
 protected:
  MakeKeyTest() {
    MakeFolder(dir / "keys", 0755);
    s.Dialog.Directory = dir / "keys";
  }
  // The user answers the name, then the block length ("" takes the 16 offered).
  void Answer(const std::string& name, const std::string& length) {
    platform.input_answers = {name, length};
  }
  // A key file of `n`-byte blocks whose Pal undoes its Pair, readable by its owner only.
  void ExpectKey(const std::string& path, size_t n) {
    ASSERT_TRUE(FileExists(path)) << path;
    std::string key = ReadFile(path);
    ASSERT_EQ(key.size(), 2 * n);
    EXPECT_TRUE(IsInversePair(std::vector<uint8_t>(key.begin(), key.begin() + n),
                              std::vector<uint8_t>(key.begin() + n, key.end())));
    if (const std::optional<unsigned> bits = PermissionBits(path)) {
      EXPECT_EQ(*bits, 0600u);
    }
  }

  TempDir dir;
  ScriptedPlatform platform;
  ProgramState s{platform};
};

TEST_F(MakeKeyTest, TheSetupDialogMakesAKeyInItsFolderAndSelectsIt) {
  WriteFile(dir / "keys/a.mlk", "k");
  SetupShowKey(s, "none");  // lists the folder as the dialog shows it
  Answer("mine", "");
  MakeKeyInSetupDialog(s);
  ExpectKey(dir / "keys/mine.mlk", 16);
  EXPECT_EQ(s.Dialog.Files, (std::vector<std::string>{"a.mlk", "mine.mlk"}));
  EXPECT_EQ(s.Dialog.SelectedFile, 1);
  EXPECT_TRUE(platform.messages.empty());
  // The question named the folder the key goes into.
  ASSERT_FALSE(platform.prompts.empty());
  EXPECT_NE(platform.prompts[0].find(dir / "keys"), std::string::npos) << platform.prompts[0];

  Answer("Small.MLK", "2");
  MakeKeyInSetupDialog(s);
  ExpectKey(dir / "keys/Small.MLK", 2);
}

TEST_F(MakeKeyTest, ABadNameOrLengthOrAnExistingFileIsRefusedAndNothingIsWritten) {
  WriteFile(dir / "keys/kept.mlk", "precious");
  struct Row {
    std::string name, length, message_part;
  };
  const Row rows[] = {
      {"kept", "", "already exists"},
      {"kept.mlk", "16", "already exists"},
      {"../escape", "", "file name without a folder"},
      {"..", "", "file name without a folder"},
      {"odd", "3", "1, 2, 4, 8, 16 or 256"},
      {"word", "sixteen", "1, 2, 4, 8, 16 or 256"},
  };
  for (const Row& row : rows) {
    platform.messages.clear();
    Answer(row.name, row.length);
    MakeKeyInSetupDialog(s);
    ASSERT_EQ(platform.messages.size(), 1u) << row.name;
    EXPECT_NE(platform.messages[0].find(row.message_part), std::string::npos)
        << platform.messages[0];
  }
  EXPECT_EQ(ReadFile(dir / "keys/kept.mlk"), "precious");
  EXPECT_FALSE(FileExists(dir / "escape.mlk"));
  EXPECT_FALSE(FileExists(dir / "keys/odd.mlk"));

  // Cancel asks nothing more and writes nothing.
  platform.messages.clear();
  Answer("", "");
  MakeKeyInSetupDialog(s);
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(MakeKeyTest, TheKeyMenuMakesAKeyInTheKeyFolderAndOpensIt) {
  s.KeyDirectory = dir / "keys";
  Answer("menu", "256");
  OnMenu(s, Command::kMakeKey);
  ExpectKey(dir / "keys/menu.mlk", 256);
  EXPECT_TRUE(s.KeyLoaded);
  EXPECT_EQ(s.BlockLength, 256);
  EXPECT_EQ(s.Form1.Label6.Caption, "Current key(menu.mlk)");
  EXPECT_STREQ(RowOf(Command::kMakeKey).menu.menu, "&Key");

  // Without a key folder the key goes where we stand.
  s.KeyDirectory.clear();
  Answer("here", "");
  OnMenu(s, Command::kMakeKey);
  ExpectKey(dir / "here.mlk", 16);
  EXPECT_EQ(s.BlockLength, 16);
}

}  // namespace
}  // namespace marrowlock
