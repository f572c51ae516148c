#include "window_fixture.h"

namespace marrowlock {
namespace {

// A binary-mode encryption long enough to pass through many rounds of events.
class LongCommandTest : public WindowTest {
 protected:
  void LoadBigFile() {
    WriteFile(dir / "big.bin", std::string(8 << 20, 'z'));
    Trigger("menuOptionsBinaryMode");
    OpenTestKey();
    platform.SetNextFileAnswer(dir / "big.bin");
    Trigger("menuFileLoad");
    ASSERT_EQ(s.EncryptSourceName, "big.bin");
  }
  bool LogHasRecords() {
    return FileExists(s.LogPath) && ReadFile(s.LogPath).find("Encrypt") != std::string::npos;
  }
};

TEST_F(LongCommandTest, EscapeAbandonsAnEncryptionAndOtherCommandsWaitTheirTurn) {
  LoadBigFile();
  bool pressed = false;
  // Let the encryption write a few pieces before the user acts.
  int rounds = 0;
  std::function<void()> act = [&] {
    if (++rounds < 3) {
      QTimer::singleShot(0, act);
      return;
    }
    pressed = true;
    EXPECT_TRUE(s.CommandRunning);
    EXPECT_TRUE(window().progress_bar()->isVisible());
    // While the encryption runs these must not start a second command on its buffers.
    Press(Qt::Key_B, Qt::AltModifier);
    Press(Qt::Key_C, Qt::AltModifier);
    ClickToolbar(6);
    Trigger("menuFileLoad");
    EXPECT_TRUE(platform.file_requests.size() == 2u);
    EXPECT_TRUE(s.BinaryMode);
    Press(Qt::Key_Escape);
  };
  QTimer::singleShot(0, act);
  Trigger("menuFileEncrypt");
  ASSERT_TRUE(pressed);

  EXPECT_FALSE(s.CommandRunning);
  EXPECT_FALSE(s.AbortRequested);
  int64_t partial = static_cast<int64_t>(ReadFile(dir / "default.enc").size());
  EXPECT_GT(partial, 0);
  EXPECT_LT(partial, 8 << 20);
  EXPECT_FALSE(FileExists(dir / "big.enc"));
  EXPECT_FALSE(LogHasRecords());
  EXPECT_FALSE(window().progress_bar()->isVisible());
  EXPECT_FALSE(window().label(1)->isVisible());
  EXPECT_FALSE(platform.exit_status());

  // Once it has ended, the window takes commands again.
  Press(Qt::Key_B, Qt::AltModifier);
  EXPECT_FALSE(s.BinaryMode);
}

TEST_F(LongCommandTest, AltXDuringAnEncryptionUnwindsItAndEndsTheProgram) {
  LoadBigFile();
  QTimer::singleShot(0, [&] { Press(Qt::Key_X, Qt::AltModifier); });
  Trigger("menuFileEncrypt");

  EXPECT_EQ(platform.exit_status(), 0);
  EXPECT_FALSE(window().isVisible());
  // The command stopped where it was: nothing renamed, nothing logged.
  EXPECT_FALSE(FileExists(dir / "big.enc"));
  EXPECT_FALSE(LogHasRecords());
}

}  // namespace
}  // namespace marrowlock
