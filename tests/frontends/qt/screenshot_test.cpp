#include <QImage>
#include <QPixmap>
#include <cstdlib>

#include "window_fixture.h"

namespace marrowlock {
namespace {

// Not a check: scripts/screenshot runs this under a real X server to picture the
// window with a key open and a text encrypted. It writes the PNG named by
// MARROWLOCK_SCREENSHOT and is skipped when that is not set.
TEST_F(WindowTest, Screenshot) {
  const char* target = std::getenv("MARROWLOCK_SCREENSHOT");
  if (!target || !*target) GTEST_SKIP() << "MARROWLOCK_SCREENSHOT not set";

  std::string make_key =
      std::string("'") + MARROWLOCK_KEYGEN_BINARY + "' '" + (dir / "friends.mlk") + "'";
  ASSERT_EQ(std::system(make_key.c_str()), 0);
  platform.SetNextFileAnswer(dir / "friends.mlk");
  Trigger("menuKeyOpenNewKey");
  ASSERT_TRUE(s.KeyLoaded);

  QTest::keyClicks(text1(), "Meet at the old mill at nine.");
  QTest::keyClick(text1(), Qt::Key_Return);
  QTest::keyClicks(text1(), "Bring the map and the lantern.");
  QTest::keyClick(text1(), Qt::Key_Return);
  QTest::keyClicks(text1(), "Tell no one.");
  platform.SetNextInputAnswer("letter");
  Trigger("menuFileEncrypt");
  ASSERT_FALSE(s.Form1.Text2.Text.empty());

  window().resize(820, 620);
  window().show();
  QTest::qWait(300);
  ASSERT_TRUE(window().grab().save(QString::fromLocal8Bit(target), "PNG"));
}

}  // namespace
}  // namespace marrowlock
