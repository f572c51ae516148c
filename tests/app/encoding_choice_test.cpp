// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>

#include "app/command_table.h"
#include "app/dispatch.h"
#include "app/load_file.h"
#include "state/encoding_choice.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace marrowlock {
namespace {

constexpr TextEncoding kWestern = TextEncoding::kWindows1252;
constexpr TextEncoding kUtf8 = TextEncoding::kUtf8;

class EncodingChoiceTest : public ::testing::Test {
 protected:
  void Load(const std::string& bytes) {
    WriteFile(dir / "shown.txt", bytes);
    s.LoadedFileName = "shown.txt";
    LoadFile(s);
    ASSERT_EQ(s.Form1.Text1.Text, bytes.substr(0, 32000));
  }

  TempDir dir;
  ScriptedPlatform platform;
  ProgramState s{platform};
};

TEST_F(EncodingChoiceTest, ALoadedTextChoosesItsOwnEncodingWhateverWasInForce) {
  s.Text1Edited = true;
  Load("caf\xC3\xA9 \xE2\x80\x93 na\xC3\xAFve");
  EXPECT_EQ(s.Text1Encoding, kUtf8);
  EXPECT_FALSE(s.Text1Edited);

  // A file of an older version: windows-1252, whatever the user had chosen.
  Load("caf\xE9 \x96 na\xEFve");
  EXPECT_EQ(s.Text1Encoding, kWestern);

  OnMenu(s, Command::kUtf8);
  Load("plain ASCII\r\n");
  EXPECT_EQ(s.Text1Encoding, kWestern);
}

TEST_F(EncodingChoiceTest, AnOverlargeUtf8FileCutInsideACharacterStaysUtf8) {
  // The 32000 shown bytes end with the first byte of the second "é".
  std::string text = "\xC3\xA9" + std::string(31997, 'a');
  text += "\xC3\xA9 and more";
  Load(text);
  EXPECT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(s.Text1Encoding, kUtf8);
}

TEST_F(EncodingChoiceTest, TheMenuSwitchesTheEncodingButNotTheBytesAndWaitsForARun) {
  s.Form1.Text1.Text = "caf\xC3\xA9";
  OnMenu(s, Command::kUtf8);
  EXPECT_EQ(s.Text1Encoding, kUtf8);
  EXPECT_EQ(s.Form1.Text1.Text, "caf\xC3\xA9");

  s.CommandRunning = true;
  OnMenu(s, Command::kWindows1252);
  EXPECT_EQ(s.Text1Encoding, kUtf8);
}

TEST(CommandTableTest, MenuEntriesHintTheirKeysAsTheTableHasThem) {
  EXPECT_EQ(KeyText(RowOf(Command::kEncrypt).key), "Alt+E");
  EXPECT_EQ(KeyText(RowOf(Command::kExit).key), "Alt+X");
  EXPECT_EQ(KeyText(RowOf(Command::kHelp).key), "F1");
  EXPECT_EQ(KeyText(RowOf(Command::kRefresh).key), "F5");
  EXPECT_EQ(KeyText(RowOf(Command::kAbort).key), "Esc");
  EXPECT_EQ(KeyText(RowOf(Command::kKeyDisplay).key), "Ctrl+Shift+Alt+P");
  EXPECT_EQ(KeyText(RowOf(Command::kUtf8).key), "");

  const CommandRow& western = RowOf(Command::kWindows1252);
  EXPECT_STREQ(western.menu.caption, "&Western (windows-1252)");
  EXPECT_STREQ(western.menu.submenu, "&Encoding");
  EXPECT_STREQ(RowOf(Command::kUtf8).menu.caption, "&Unicode (UTF-8)");
}

}  // namespace
}  // namespace marrowlock
