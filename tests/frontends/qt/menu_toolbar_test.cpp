// SPDX-License-Identifier: MIT
#include <QMenu>

#include "window_fixture.h"

namespace marrowlock {
namespace {

using MenuTest = WindowTest;

// Each entry shows its key at the right, after a tab, as a hint: no entry has a
// shortcut of its own, since the keyboard table alone acts on keys.
TEST_F(MenuTest, EntriesCarryTheirCaptionsAndKeyHintsButNoShortcuts) {
  const std::pair<const char*, const char*> entries[] = {
      {"menuFileLoad", "&Load\tAlt+L"},
      {"menuFileEncrypt", "&Encrypt\tAlt+E"},
      {"menuFileDecrypt", "&Decrypt\tAlt+D"},
      {"menuFileRename", "&Rename\tAlt+R"},
      {"menuFileExit", "e&Xit\tAlt+X"},
      {"menuKeyOpenNewKey", "&New key\tAlt+N"},
      {"menuKeyNewDefaultKey", "&Modify Defaults\tAlt+M"},
      {"menuKeyMakeNewKey", "Ma&ke a new key\u2026"},
      {"menuTextClear", "&Clear\tAlt+C"},
      {"menuTextSave", "&Save\tAlt+S"},
      {"menuOptionsBinaryMode", "&BinaryMode\tAlt+B"},
      {"menuOptionsEncodingWestern", "&Western (windows-1252)"},
      {"menuOptionsEncodingUnicode", "&Unicode (UTF-8)"},
      {"menuHelpReadHelpfile", "&Read Helpfile\tF1"}};
  for (const auto& [name, caption] : entries) {
    EXPECT_EQ(Action(name)->text(), QString::fromUtf8(caption));
    EXPECT_TRUE(Action(name)->shortcut().isEmpty()) << name;
  }
  EXPECT_EQ(window().windowTitle(), "Marrowlock 2003 vers. 1.1.0");

  // The hint acts on nothing: Alt+E reaches Encrypt once, through the keyboard table.
  Press(Qt::Key_E, Qt::AltModifier);
  EXPECT_EQ(platform.messages,
            std::vector<std::string>{"You need to open a key before encrypting."});
}

TEST_F(MenuTest, TheEncodingEntriesAndTheStatusBarFollowTheEncodingInForce) {
  QAction* western = Action("menuOptionsEncodingWestern");
  QAction* unicode = Action("menuOptionsEncodingUnicode");
  QMenu* submenu = qobject_cast<QMenu*>(western->parent());
  ASSERT_NE(submenu, nullptr);
  EXPECT_EQ(submenu->title(), "&Encoding");
  QMenu* options = qobject_cast<QMenu*>(Action("menuOptionsBinaryMode")->parent());
  ASSERT_NE(options, nullptr);
  EXPECT_TRUE(options->actions().contains(submenu->menuAction()));
  EXPECT_TRUE(western->isChecked());
  EXPECT_FALSE(unicode->isChecked());

  EXPECT_EQ(window().encoding_status()->text(), "Western (windows-1252)");

  unicode->trigger();
  EXPECT_EQ(s.Text1Encoding, TextEncoding::kUtf8);
  EXPECT_FALSE(western->isChecked());
  EXPECT_TRUE(unicode->isChecked());
  EXPECT_EQ(window().encoding_status()->text(), "Unicode (UTF-8)");
  // Choosing the encoding in force again leaves it in force, still checked.
  unicode->trigger();
  EXPECT_TRUE(unicode->isChecked());
  western->trigger();
  EXPECT_EQ(s.Text1Encoding, TextEncoding::kWindows1252);
  EXPECT_TRUE(western->isChecked());
}

TEST_F(MenuTest, EachEntryReachesItsCommand) {
  s.LoadedFileName = "missing.txt";
  Trigger("menuFileLoad");  // a pending name is used without a question
  EXPECT_TRUE(platform.file_requests.empty());
  Trigger("menuFileLoad");
  EXPECT_EQ(LastDialogTitle(), "Load");
  Trigger("menuFileEncrypt");
  EXPECT_EQ(LastMessage(), "You need to open a key before encrypting.");
  Trigger("menuFileDecrypt");
  EXPECT_EQ(LastDialogTitle(), "Decrypt");
  Trigger("menuFileRename");
  EXPECT_EQ(LastMessage(), "You first need to Load a file, or type in some text.");
  Trigger("menuKeyOpenNewKey");
  EXPECT_EQ(LastDialogTitle(), "New Key");

  QTest::keyClicks(text1(), "xy");
  Trigger("menuTextSave");
  EXPECT_EQ(LastDialogTitle(), "Save Text");
  Trigger("menuTextClear");
  EXPECT_EQ(text1()->toPlainText(), "");

  Trigger("menuHelpReadHelpfile");
  EXPECT_TRUE(platform.help_window()->isVisible());

  QTimer::singleShot(0, [this] { platform.setup_dialog()->cancel_button()->click(); });
  Trigger("menuKeyNewDefaultKey");
  EXPECT_FALSE(platform.setup_dialog()->isVisible());
  EXPECT_TRUE(window().isVisible());

  Trigger("menuFileExit");
  EXPECT_EQ(platform.exit_status(), 0);
  EXPECT_FALSE(window().isVisible());
}

TEST_F(MenuTest, TheBinaryModeEntrySetsAndClearsItsCheckMark) {
  Trigger("menuOptionsBinaryMode");
  EXPECT_TRUE(s.BinaryMode);
  EXPECT_TRUE(Action("menuOptionsBinaryMode")->isChecked());
  Trigger("menuOptionsBinaryMode");
  EXPECT_FALSE(s.BinaryMode);
  EXPECT_FALSE(Action("menuOptionsBinaryMode")->isChecked());
}

using ToolbarTest = WindowTest;

TEST_F(ToolbarTest, NineButtonsInOrderWithTheirKeysAndTooltips) {
  const char* keys[] = {"load",    "clear",  "save",   "rename", "encrypt",
                        "decrypt", "newkey", "binary", "exit"};
  const char* captions[] = {"Load",    "Clear",   "Save",   "Rename", "Encrypt",
                            "Decrypt", "New Key", "Binary", "Exit"};
  const char* tips[] = {"Load File", "Clear Text", "Save Text",         "Rename File", "Encrypt",
                        "Decrypt",   "New Key",    "Toggle BinaryMode", "Exit"};
  QList<QAction*> actions = window().toolbar()->actions();
  ASSERT_EQ(actions.size(), 9);
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(actions[i]->objectName(), keys[i]);
    EXPECT_EQ(actions[i]->text(), captions[i]);
    EXPECT_EQ(actions[i]->toolTip(), tips[i]);
  }
}

TEST_F(ToolbarTest, EachPositionReachesItsCommand) {
  ClickToolbar(1);
  EXPECT_EQ(LastDialogTitle(), "Load");
  QTest::keyClicks(text1(), "abc");
  ClickToolbar(3);
  EXPECT_EQ(LastDialogTitle(), "Save Text");
  ClickToolbar(2);
  EXPECT_EQ(text1()->toPlainText(), "");
  ClickToolbar(4);
  EXPECT_EQ(LastMessage(), "You first need to Load a file, or type in some text.");
  ClickToolbar(5);
  EXPECT_EQ(LastMessage(), "You need to open a key before encrypting.");
  ClickToolbar(6);
  EXPECT_EQ(LastDialogTitle(), "Decrypt");
  ClickToolbar(7);
  EXPECT_EQ(LastDialogTitle(), "New Key");
  ClickToolbar(8);
  EXPECT_TRUE(s.BinaryMode);
  EXPECT_FALSE(Action("menuOptionsBinaryMode")->isChecked());
  ClickToolbar(9);
  EXPECT_EQ(platform.exit_status(), 0);
}

TEST_F(ToolbarTest, ToolbarLoadTakesTheLoadedFileAgainButAltLAsks) {
  WriteFile(dir / "data.bin", "0123456789");
  Trigger("menuOptionsBinaryMode");
  platform.SetNextFileAnswer(dir / "data.bin");
  ClickToolbar(1);
  ASSERT_EQ(platform.file_requests.size(), 1u);
  EXPECT_EQ(window().label(5)->text(), "Decrypted File:(data.bin)");
  ClickToolbar(1);
  EXPECT_EQ(platform.file_requests.size(), 1u);
  EXPECT_EQ(s.EncryptSourceName, "data.bin");
  Press(Qt::Key_L, Qt::AltModifier);
  EXPECT_EQ(platform.file_requests.size(), 2u);
}

TEST_F(ToolbarTest, ClosingTheMainWindowEndsTheProgramAsExitDoes) {
  Press(Qt::Key_F1);
  window().close();
  EXPECT_EQ(platform.exit_status(), 0);
  EXPECT_FALSE(window().isVisible());
  EXPECT_FALSE(platform.help_window()->isVisible());
}

}  // namespace
}  // namespace marrowlock
