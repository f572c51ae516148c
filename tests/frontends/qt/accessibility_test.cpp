// SPDX-License-Identifier: MIT
#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>

#include "window_fixture.h"

namespace marrowlock {
namespace {

using AccessibilityTest = WindowTest;

QString NameOf(QObject* object) {
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(object);
  return accessible ? accessible->text(QAccessible::Name) : QStringLiteral("(no interface)");
}

// The controls of `window` a screen reader has to name: everything the user can
// act on or read, Qt's own inner parts (named "qt_...") left out.
std::vector<QWidget*> Controls(QWidget& window) {
  std::vector<QWidget*> controls;
  for (QWidget* w : window.findChildren<QWidget*>()) {
    if (w->objectName().startsWith(QLatin1String("qt_"))) continue;
    if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) ||
        qobject_cast<QAbstractItemView*>(w) || qobject_cast<QPlainTextEdit*>(w) ||
        qobject_cast<QProgressBar*>(w) || qobject_cast<QLineEdit*>(w) ||
        qobject_cast<QToolBar*>(w)) {
      controls.push_back(w);
    }
  }
  return controls;
}

TEST_F(AccessibilityTest, EveryControlHasANameAndTextAreasHaveTheirHeadings) {
  OpenTestKey();
  Press(Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
  EXPECT_EQ(NameOf(text1()), "Text to Encrypt / Text Decrypted");
  EXPECT_EQ(NameOf(window().text2()), "Encrypted Text()");
  EXPECT_EQ(NameOf(window().findChild<QPlainTextEdit*>("Text3")), "Pair");
  EXPECT_EQ(NameOf(window().findChild<QPlainTextEdit*>("Text4")), "Pal");
  EXPECT_EQ(NameOf(window().toolbar()), "Toolbar");
  Press(Qt::Key_B, Qt::AltModifier);
  EXPECT_EQ(NameOf(window().text2()), "Encrypted binary()");

  SetupView& setup = *platform.setup_dialog();
  EXPECT_EQ(NameOf(setup.drive_list()), "Drive");
  EXPECT_EQ(NameOf(setup.directory_list()), "Folders");
  EXPECT_EQ(NameOf(setup.file_list()), "Key files");
  for (QWidget* top : {static_cast<QWidget*>(&window()), static_cast<QWidget*>(&setup),
                       static_cast<QWidget*>(platform.help_window())}) {
    for (QWidget* control : Controls(*top)) {
      EXPECT_FALSE(NameOf(control).trimmed().isEmpty())
          << control->metaObject()->className() << " " << control->objectName().toStdString();
    }
  }
}

TEST_F(AccessibilityTest, TheHelpWindowIsAWindow) {
  Press(Qt::Key_F1);
  QAccessibleInterface* help = QAccessible::queryAccessibleInterface(platform.help_window());
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(help->role(), QAccessible::Window);
  EXPECT_EQ(help->text(QAccessible::Name), "Marrowlock Help");
  EXPECT_EQ(NameOf(platform.help_window()->text1()), "Help text");
}

TEST_F(AccessibilityTest, TabReachesTheToolbarAndCtrlTabTypesATab) {
  window().show();
  window().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
  text1()->setFocus();
  bool reached = false;
  for (int i = 0; i < 30 && !reached; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QWidget* focus = QApplication::focusWidget();
    reached = focus && focus->parentWidget() == window().toolbar();
  }
  EXPECT_TRUE(reached);
  EXPECT_EQ(s.Form1.Text1.Text, "");

  text1()->setFocus();
  QTest::keyClick(text1(), Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(s.Form1.Text1.Text, "\t");
  EXPECT_EQ(QApplication::focusWidget(), text1());
}

}  // namespace
}  // namespace marrowlock
