// SPDX-License-Identifier: MIT
#include <unistd.h>
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

  // The setup dialog as a first start meets it, in a folder without keys, with the
  // "-setup" picture beside the others.
  QString setup_picture = help_picture;
  setup_picture.replace(QLatin1String("-help.png"), QLatin1String("-setup.png"));
  std::filesystem::create_directories(dir / "empty");
  ASSERT_EQ(::chdir((dir / "empty").c_str()), 0);
  WriteSettingsFile(dir / "empty", "gone.mlk");
  bool saved = false;
  QTimer::singleShot(0, [&] {
    SetupView* setup = platform.setup_dialog();
    QTest::qWait(300);
    saved = setup->grab().save(setup_picture, "PNG");
    setup->cancel_button()->click();
  });
  Trigger("menuKeyNewDefaultKey");
  EXPECT_TRUE(saved);
}

}  // namespace
}  // namespace marrowlock
