// SPDX-License-Identifier: MIT
#include "app/dispatch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "files/setup_dialog.h"
#include "state/program_exit.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace marrowlock {
namespace {

KeyPress Alt(int key) { return KeyPress{key, false, false, true}; }
KeyPress Plain(int key) { return KeyPress{key, false, false, false}; }

class DispatchTest : public ::testing::Test {
 protected:
  DispatchTest() {
    std::filesystem::create_directories(dir.home());
    WriteFile(dir.home() + "/mlhelp.txt", "help text");
  }

  // What the last action reached, told by the first thing each command does
  // when no key is open and nothing is pending.
  std::string Reached() {
    if (!platform.file_requests.empty()) return "dialog " + platform.file_requests.back().Title;
    if (!platform.prompts.empty()) return "input " + platform.prompts.back();
    if (!platform.messages.empty()) return platform.messages.back();
    return "";
  }

  TempDir dir;
  ScriptedPlatform platform;
  ProgramState s{platform};
};

TEST_F(DispatchTest, EachMenuEntryCallsItsCommand) {
  struct Row {
    Command entry;
    std::string reached;
  };
  const std::vector<Row> rows = {
      {Command::kLoad, "dialog Load"},
      {Command::kEncrypt, "You need to open a key before encrypting."},
      {Command::kDecrypt, "dialog Decrypt"},
      {Command::kRename, "You first need to Load a file, or type in some text."},
      {Command::kOpenKey, "dialog New Key"},
  };
  for (const Row& row : rows) {
    ScriptedPlatform p;
    ProgramState st{p};
    p.file_answers.push_back(std::nullopt);
    OnMenu(st, row.entry);
    std::string reached = !p.file_requests.empty() ? "dialog " + p.file_requests.back().Title
                          : !p.messages.empty()    ? p.messages.back()
                                                   : "";
    EXPECT_EQ(reached, row.reached);
  }

  s.Form1.Text1.Text = "typed";
  s.LoadedFileName = "pending";
  OnMenu(s, Command::kClear);
  EXPECT_EQ(s.Form1.Text1.Text, "");
  EXPECT_EQ(s.LoadedFileName, "");

  s.Form1.Text1.Text = "typed";
  platform.file_answers.push_back(std::nullopt);
  OnMenu(s, Command::kSaveText);
  EXPECT_EQ(Reached(), "dialog Save Text");

  OnMenu(s, Command::kHelp);
  EXPECT_TRUE(s.MLHelp.Visible);
  EXPECT_EQ(s.MLHelp.Text1.Text, "help text");

  // Modify Defaults runs the setup dialog until the user leaves it.
  int waits = 0;
  platform.on_events = [&] {
    ++waits;
    EXPECT_TRUE(s.Dialog.Visible);
    SetupCancel(s);
  };
  OnMenu(s, Command::kModifyDefaults);
  EXPECT_EQ(waits, 1);
  EXPECT_FALSE(s.Dialog.Visible);

  EXPECT_THROW(OnMenu(s, Command::kExit), ProgramExit);
}

TEST_F(DispatchTest, TheBinaryModeEntryMovesTheCheckMarkButAltBAndTheToolbarDoNot) {
  OnMenu(s, Command::kBinaryMode);
  EXPECT_TRUE(s.BinaryMode);
  EXPECT_TRUE(s.Form1.BinaryModeChecked);
  OnMenu(s, Command::kBinaryMode);
  EXPECT_FALSE(s.BinaryMode);
  EXPECT_FALSE(s.Form1.BinaryModeChecked);

  s.EncryptSourceName = "a.txt";
  EXPECT_TRUE(OnKey(s, Alt(kKeyB)));
  EXPECT_TRUE(s.BinaryMode);
  EXPECT_EQ(s.Form1.Text1.Text, "(binary mode)");
  EXPECT_TRUE(OnKey(s, Alt(kKeyB)));
  EXPECT_FALSE(s.BinaryMode);
  EXPECT_EQ(s.Form1.Text1.Text, "");
  EXPECT_EQ(s.Form1.Text2.Text, "");
  EXPECT_EQ(s.Form1.Label3.Caption, "Encrypted text()");
  EXPECT_EQ(s.Form1.Label5.Caption, "Decrypted File()");
  EXPECT_EQ(s.EncryptSourceName, "");
  EXPECT_FALSE(s.Form1.BinaryModeChecked);

  OnToolbar(s, 8);
  EXPECT_TRUE(s.BinaryMode);
  EXPECT_FALSE(s.Form1.BinaryModeChecked);
}

TEST_F(DispatchTest, FileShortcutsForgetThePendingNameButMenuAndToolbarKeepIt) {
  // A pending name that does not exist: the command says so instead of asking.
  s.LoadedFileName = "missing.txt";
  OnToolbar(s, 1);
  EXPECT_TRUE(platform.file_requests.empty());

  s.LoadedFileName = "missing.txt";
  platform.file_answers.push_back(std::nullopt);
  EXPECT_TRUE(OnKey(s, Alt(kKeyL)));
  EXPECT_EQ(Reached(), "dialog Load");

  s.PendingKeyFile = "somekey";
  s.EncryptSourceName = "x";
  s.DecryptSourceName = "y";
  platform.file_answers.push_back(std::nullopt);
  EXPECT_TRUE(OnKey(s, Alt(kKeyN)));
  EXPECT_EQ(Reached(), "dialog New Key");
  EXPECT_TRUE(OnKey(s, Alt(kKeyE)));
  EXPECT_EQ(s.EncryptSourceName, "");
  platform.file_answers.push_back(std::nullopt);
  EXPECT_TRUE(OnKey(s, Alt(kKeyD)));
  EXPECT_EQ(Reached(), "dialog Decrypt");
  EXPECT_EQ(s.DecryptSourceName, "");
}

TEST_F(DispatchTest, KeysActOnlyWithTheirExactModifiers) {
  EXPECT_TRUE(OnKey(s, Plain(kKeyEscape)));
  EXPECT_TRUE(s.AbortRequested);

  EXPECT_FALSE(OnKey(s, KeyPress{kKeyE, true, false, true}));  // Shift+Alt+E
  EXPECT_FALSE(OnKey(s, KeyPress{kKeyE, false, true, true}));  // Ctrl+Alt+E
  EXPECT_FALSE(OnKey(s, Plain(kKeyE)));
  EXPECT_FALSE(OnKey(s, KeyPress{kKeyF1, true, false, false}));  // Shift+F1
  EXPECT_FALSE(OnKey(s, KeyPress{kKeyX, true, false, true}));    // Shift+Alt+X
  EXPECT_FALSE(OnKey(s, Alt(kKeyP)));
  EXPECT_FALSE(OnKey(s, Alt(kKeyF1)));
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_FALSE(s.MLHelp.Visible);

  EXPECT_TRUE(OnKey(s, KeyPress{kKeyP, true, true, true}));
  EXPECT_TRUE(s.Form1.Label4.Visible);

  s.Form1.Text1.Text = "abc";
  EXPECT_TRUE(OnKey(s, Alt(kKeyC)));
  EXPECT_EQ(s.Form1.Text1.Text, "");

  EXPECT_TRUE(OnKey(s, Alt(kKeyR)));
  EXPECT_EQ(Reached(), "You first need to Load a file, or type in some text.");
  s.Form1.Text1.Text = "abc";
  platform.file_answers.push_back(std::nullopt);
  EXPECT_TRUE(OnKey(s, Alt(kKeyS)));
  EXPECT_EQ(Reached(), "dialog Save Text");

  int redraws = platform.redraws;
  EXPECT_TRUE(OnKey(s, Plain(kKeyF5)));
  EXPECT_GT(platform.redraws, redraws);
  EXPECT_TRUE(OnKey(s, Plain(kKeyF1)));
  EXPECT_TRUE(s.MLHelp.Visible);

  platform.on_events = [&] { SetupCancel(s); };
  EXPECT_TRUE(OnKey(s, Alt(kKeyM)));
  EXPECT_FALSE(s.Dialog.Visible);

  EXPECT_THROW(OnKey(s, Alt(kKeyX)), ProgramExit);
}

TEST_F(DispatchTest, ToolbarPositionsCallTheirCommands) {
  const std::vector<std::pair<int, std::string>> rows = {
      {1, "dialog Load"},
      {4, "You first need to Load a file, or type in some text."},
      {5, "You need to open a key before encrypting."},
      {6, "dialog Decrypt"},
      {7, "dialog New Key"},
  };
  for (const auto& [position, reached] : rows) {
    ScriptedPlatform p;
    ProgramState st{p};
    p.file_answers.push_back(std::nullopt);
    OnToolbar(st, position);
    std::string got = !p.file_requests.empty() ? "dialog " + p.file_requests.back().Title
                      : !p.messages.empty()    ? p.messages.back()
                                               : "";
    EXPECT_EQ(got, reached) << position;
  }
  s.Form1.Text1.Text = "abc";
  OnToolbar(s, 2);
  EXPECT_EQ(s.Form1.Text1.Text, "");
  s.Form1.Text1.Text = "abc";
  platform.file_answers.push_back(std::nullopt);
  OnToolbar(s, 3);
  EXPECT_EQ(Reached(), "dialog Save Text");

  OnToolbar(s, 0);
  OnToolbar(s, 10);
  EXPECT_EQ(s.Form1.Text1.Text, "abc");
  EXPECT_THROW(OnToolbar(s, 9), ProgramExit);
}

TEST_F(DispatchTest, WhileACommandRunsOnlyEscapeExitHelpAndRefreshAct) {
  s.CommandRunning = true;
  s.Form1.Text1.Text = "kept";
  s.LoadedFileName = "pending";

  for (int key : {kKeyE, kKeyL, kKeyD, kKeyC, kKeyS, kKeyR, kKeyN, kKeyM, kKeyB}) {
    EXPECT_TRUE(OnKey(s, Alt(key))) << key;  // matched, so the focused element never sees it
  }
  EXPECT_TRUE(OnKey(s, KeyPress{kKeyP, true, true, true}));
  for (int position = 1; position <= 8; ++position) OnToolbar(s, position);
  for (Command entry :
       {Command::kLoad, Command::kEncrypt, Command::kDecrypt, Command::kRename, Command::kOpenKey,
        Command::kModifyDefaults, Command::kClear, Command::kSaveText, Command::kBinaryMode}) {
    OnMenu(s, entry);
  }
  EXPECT_EQ(Reached(), "");
  EXPECT_EQ(s.Form1.Text1.Text, "kept");
  EXPECT_EQ(s.LoadedFileName, "pending");
  EXPECT_FALSE(s.BinaryMode);
  EXPECT_FALSE(s.Form1.BinaryModeChecked);
  EXPECT_FALSE(s.Form1.Label4.Visible);
  EXPECT_FALSE(s.MLHelp.Visible);

  EXPECT_TRUE(OnKey(s, Plain(kKeyEscape)));
  EXPECT_TRUE(s.AbortRequested);
  int redraws = platform.redraws;
  EXPECT_TRUE(OnKey(s, Plain(kKeyF5)));
  EXPECT_GT(platform.redraws, redraws);
  EXPECT_TRUE(OnKey(s, Plain(kKeyF1)));
  EXPECT_TRUE(s.MLHelp.Visible);
  s.MLHelp.Visible = false;
  OnMenu(s, Command::kHelp);
  EXPECT_TRUE(s.MLHelp.Visible);
  EXPECT_THROW(OnKey(s, Alt(kKeyX)), ProgramExit);
  EXPECT_THROW(OnMenu(s, Command::kExit), ProgramExit);
  EXPECT_THROW(OnToolbar(s, 9), ProgramExit);
}

// The menu bar, the keyboard table and the toolbar are all drawn from one table.
TEST(CommandTableTest, EachWayToStartACommandIsNamedOnce) {
  std::set<std::string> elements;
  std::set<std::tuple<int, bool, bool, bool>> keys;
  std::set<int> positions;
  for (const CommandRow& row : CommandTable()) {
    EXPECT_EQ(&RowOf(row.command), &row);
    if (row.menu.menu) {
      EXPECT_TRUE(elements.insert(row.menu.element).second) << row.menu.element;
    }
    if (row.key.key) {
      EXPECT_TRUE(keys.insert({row.key.key, row.key.shift, row.key.ctrl, row.key.alt}).second);
      EXPECT_EQ(RowOfKey({row.key.key, row.key.shift, row.key.ctrl, row.key.alt}), &row);
    }
    if (row.button.position) {
      EXPECT_TRUE(positions.insert(row.button.position).second);
      EXPECT_EQ(RowOfButton(row.button.position), &row);
    }
  }
  EXPECT_EQ(elements.size(), 14u);
  EXPECT_EQ(keys.size(), 14u);
  EXPECT_EQ(positions, (std::set<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(RowOfKey({kKeyE, true, false, true}), nullptr) << "Shift+Alt+E is not Alt+E";
}

TEST_F(DispatchTest, TextWithCharactersWithoutABytesIsNotWrittenAnywhere) {
  s.Form1.Text1.Text = "caf? au lait";
  s.Text1Unencodable = true;
  EXPECT_TRUE(OnKey(s, Alt(kKeyE)));
  EXPECT_TRUE(OnKey(s, Alt(kKeyS)));
  EXPECT_TRUE(OnKey(s, Alt(kKeyR)));
  OnMenu(s, Command::kEncrypt);
  OnMenu(s, Command::kSaveText);
  OnMenu(s, Command::kRename);
  OnToolbar(s, 3);
  OnToolbar(s, 4);
  OnToolbar(s, 5);
  EXPECT_EQ(platform.messages, std::vector<std::string>(9, kUnencodableTextMessage));
  EXPECT_TRUE(platform.file_requests.empty());

  // Binary mode works on files, never on the text.
  platform.messages.clear();
  s.BinaryMode = true;
  OnToolbar(s, 5);
  EXPECT_EQ(platform.messages,
            std::vector<std::string>{"You need to open a key before encrypting."});
}

}  // namespace
}  // namespace marrowlock
