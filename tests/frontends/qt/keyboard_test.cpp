// SPDX-License-Identifier: MIT
#include <QComboBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>

#include "frontends/qt/key_filter.h"
#include "window_fixture.h"

namespace marrowlock {
namespace {

using KeyboardTest = WindowTest;

TEST_F(KeyboardTest, FileShortcutsAskForANameEvenWhenOneIsPending) {
  s.LoadedFileName = "pending.txt";
  Press(Qt::Key_L, Qt::AltModifier);
  EXPECT_EQ(LastDialogTitle(), "Load");
  s.DecryptSourceName = "pending.enc";
  Press(Qt::Key_D, Qt::AltModifier);
  EXPECT_EQ(LastDialogTitle(), "Decrypt");
  s.PendingKeyFile = "pending.mlk";
  Press(Qt::Key_N, Qt::AltModifier);
  EXPECT_EQ(LastDialogTitle(), "New Key");
  Press(Qt::Key_E, Qt::AltModifier);
  EXPECT_EQ(LastMessage(), "You need to open a key before encrypting.");
  Press(Qt::Key_R, Qt::AltModifier);
  EXPECT_EQ(LastMessage(), "You first need to Load a file, or type in some text.");
  EXPECT_EQ(platform.file_requests.size(), 3u);
}

TEST_F(KeyboardTest, MatchedKeysNeverReachTheTextAreaAndOthersDo) {
  QTest::keyClicks(text1(), "abc");
  EXPECT_EQ(s.Form1.Text1.Text, "abc");
  Press(Qt::Key_S, Qt::AltModifier);
  EXPECT_EQ(LastDialogTitle(), "Save Text");
  Press(Qt::Key_C, Qt::AltModifier);
  EXPECT_EQ(text1()->toPlainText(), "");
  EXPECT_EQ(s.Form1.Text1.Text, "");

  // Wrong modifiers: nothing of the program's happens.
  size_t messages = platform.messages.size();
  Press(Qt::Key_E, Qt::ShiftModifier | Qt::AltModifier);
  Press(Qt::Key_E, Qt::ControlModifier | Qt::AltModifier);
  Press(Qt::Key_F1, Qt::ShiftModifier);
  Press(Qt::Key_X, Qt::ShiftModifier | Qt::AltModifier);
  Press(Qt::Key_P, Qt::ControlModifier | Qt::AltModifier);
  EXPECT_EQ(platform.messages.size(), messages);
  EXPECT_FALSE(s.MLHelp.Visible);
  EXPECT_FALSE(s.Form1.Label4.Visible);
  EXPECT_FALSE(platform.exit_status());
}

TEST_F(KeyboardTest, AltBTwiceReturnsToTextModeWithoutMovingTheCheckMark) {
  Press(Qt::Key_B, Qt::AltModifier);
  EXPECT_TRUE(s.BinaryMode);
  EXPECT_EQ(text1()->toPlainText(), "(binary mode)");
  EXPECT_TRUE(text1()->isReadOnly());
  EXPECT_EQ(window().label(3)->text(), "Encrypted binary()");
  Press(Qt::Key_B, Qt::AltModifier);
  EXPECT_FALSE(s.BinaryMode);
  EXPECT_EQ(text1()->toPlainText(), "");
  EXPECT_EQ(window().text2()->toPlainText(), "");
  EXPECT_FALSE(text1()->isReadOnly());
  EXPECT_EQ(window().label(3)->text(), "Encrypted text()");
  EXPECT_EQ(window().label(5)->text(), "Decrypted File()");
  EXPECT_FALSE(Action("menuOptionsBinaryMode")->isChecked());
}

TEST_F(KeyboardTest, HelpEscapeRefreshAndKeyDisplay) {
  Press(Qt::Key_F1);
  EXPECT_TRUE(platform.help_window()->isVisible());
  EXPECT_EQ(platform.help_window()->text1()->toPlainText(), "Help for the test");
  // Alt+X on the help window hides it only.
  Press(Qt::Key_X, Qt::AltModifier, platform.help_window()->text1());
  EXPECT_FALSE(platform.help_window()->isVisible());
  EXPECT_TRUE(window().isVisible());
  EXPECT_FALSE(platform.exit_status());

  Press(Qt::Key_Escape);
  EXPECT_TRUE(s.AbortRequested);

  s.Form1.Label5.Caption = "set behind the window's back";
  Press(Qt::Key_F5);
  EXPECT_EQ(window().label(5)->text(), "set behind the window's back");

  Press(Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
  EXPECT_TRUE(window().label(4)->isVisible());
  EXPECT_TRUE(window().findChild<QPlainTextEdit*>("Text3")->isVisible());
}

TEST_F(KeyboardTest, AltXEndsTheProgramAndClosesItsWindows) {
  Press(Qt::Key_F1);
  Press(Qt::Key_X, Qt::AltModifier);
  EXPECT_EQ(platform.exit_status(), 0);
  EXPECT_FALSE(window().isVisible());
  EXPECT_FALSE(platform.help_window()->isVisible());
  // Nothing starts once the program is ending.
  Press(Qt::Key_E, Qt::AltModifier);
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(KeyboardTest, AltMRunsTheSetupDialogAndItsKeysGoToTheDialog) {
  WriteFile(dir / "other.mlk", kKeyBytes);
  // The dialog runs its own event loop; the user acts from inside it.
  QTimer::singleShot(0, [this] {
    SetupView* dialog = platform.setup_dialog();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(window().isVisible());
    EXPECT_EQ(dialog->windowTitle(), "Marrowlock Initial Setup");
    // Alt+X on the dialog is Cancel, not the main window's Exit.
    QTest::keyClick(dialog->file_list(), Qt::Key_X, Qt::AltModifier);
  });
  Press(Qt::Key_M, Qt::AltModifier);
  EXPECT_FALSE(platform.setup_dialog()->isVisible());
  EXPECT_TRUE(window().isVisible());
  EXPECT_FALSE(platform.exit_status());
  EXPECT_TRUE(platform.messages.empty());
}

TEST(KeyTranslation, ExactModifiersAndTableCodes) {
  QKeyEvent alt_e(QEvent::KeyPress, Qt::Key_E, Qt::AltModifier | Qt::KeypadModifier);
  KeyPress k = ToKeyPress(alt_e);
  EXPECT_EQ(k.key, kKeyE);
  EXPECT_TRUE(k.AltAlone());

  QKeyEvent meta_f1(QEvent::KeyPress, Qt::Key_F1, Qt::MetaModifier);
  EXPECT_EQ(ToKeyPress(meta_f1).key, kKeyF1);
  EXPECT_TRUE(ToKeyPress(meta_f1).NoModifiers());

  QKeyEvent f5(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier);
  EXPECT_EQ(ToKeyPress(f5).key, kKeyF5);
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::ShiftModifier);
  EXPECT_EQ(ToKeyPress(escape).key, kKeyEscape);
  EXPECT_FALSE(ToKeyPress(escape).NoModifiers());

  // Keys no table names never take a table's code (F12 is not 'X', Return not 'M').
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Tab, Qt::Key_Home, Qt::Key_Delete}) {
    QKeyEvent e(QEvent::KeyPress, key, Qt::AltModifier);
    EXPECT_GT(ToKeyPress(e).key, 255) << key;
  }
}

}  // namespace
}  // namespace marrowlock
