// SPDX-License-Identifier: MIT
#include <QImage>
#include <QPixmap>
#include <QScrollBar>
#include <QTextBlock>
#include <cstdlib>

#include "frontends/qt/help_view.h"
#include "window_fixture.h"

namespace marrowlock {
namespace {

// Not a check: scripts/screenshot runs this under a real X server to picture the
// window with a key open and shown, a text encrypted, and the help window. It writes
// the main window to the PNG named by MARROWLOCK_SCREENSHOT and the help window to
// the same name with "-help" before ".png"; it is skipped when that is not set.
TEST_F(WindowTest, Screenshot) {
  const char* target = std::getenv("MARROWLOCK_SCREENSHOT");
  if (!target || !*target) GTEST_SKIP() << "MARROWLOCK_SCREENSHOT not set";
  const QString main_picture = QString::fromLocal8Bit(target);
  QString help_picture = main_picture;
  if (help_picture.endsWith(QLatin1String(".png"))) help_picture.chop(4);
  help_picture += QLatin1String("-help.png");

  std::string make_key =
      std::string("'") + MARROWLOCK_KEYGEN_BINARY + "' '" + (dir / "friends.mlk") + "'";
  ASSERT_EQ(std::system(make_key.c_str()), 0);
  platform.SetNextFileAnswer(dir / "friends.mlk");
  Trigger("menuKeyOpenNewKey");
  ASSERT_TRUE(s.KeyLoaded);
  QTest::keyClick(text1(), Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);

  QTest::keyClicks(text1(), "Meet at the old mill at nine.");
  QTest::keyClick(text1(), Qt::Key_Return);
  QTest::keyClicks(text1(), "Bring the map and the lantern.");
  QTest::keyClick(text1(), Qt::Key_Return);
  QTest::keyClicks(text1(), "Tell no one.");
  platform.SetNextInputAnswer("letter");
  Trigger("menuFileEncrypt");
  ASSERT_FALSE(s.Form1.Text2.Text.empty());

  window().resize(820, 660);
  window().show();
  QTest::qWait(300);
  ASSERT_TRUE(window().grab().save(main_picture, "PNG"));

  // The help window as the installed help text fills it.
  WriteFile(dir.home() + "/mlhelp.txt", ReadFile(MARROWLOCK_SOURCE_DIR "/data/mlhelp.txt"));
  Trigger("menuHelpReadHelpfile");
  HelpView* help = platform.help_window();
  ASSERT_TRUE(help->isVisible());
  // Scrolled to the table of keys, whose columns the fixed-width font keeps.
  QTextBlock keys = help->text1()->document()->find(QStringLiteral("KEYS")).block();
  help->text1()->verticalScrollBar()->setValue(keys.blockNumber() - 2);
  QTest::qWait(300);
  ASSERT_TRUE(help->grab().save(help_picture, "PNG"));
}

}  // namespace
}  // namespace marrowlock
