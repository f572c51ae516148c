// SPDX-License-Identifier: MIT
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
  // Nothing of the abandoned run is left in the folder, under any name.
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name == "big.bin" || name == "test.mlk" || name == "home") << name;
  }
  EXPECT_FALSE(LogHasRecords());
  EXPECT_FALSE(window().progress_bar()->isVisible());
  EXPECT_TRUE(window().label(1)->isVisible());
  EXPECT_EQ(window().label(1)->text(), "Encryption abandoned.");
  EXPECT_FALSE(platform.exit_status());

  // Once it has ended, the window takes commands again.
  Press(Qt::Key_B, Qt::AltModifier);
  EXPECT_FALSE(s.BinaryMode);
}

TEST_F(LongCommandTest, EscapeOnTheHelpWindowAbandonsTheRun) {
  LoadBigFile();
  bool pressed = false;
  QTimer::singleShot(0, [&] {
    pressed = true;
    Press(Qt::Key_F1);
    ASSERT_TRUE(platform.help_window()->isVisible());
    Press(Qt::Key_Escape, Qt::NoModifier, platform.help_window()->text1());
  });
  Trigger("menuFileEncrypt");
  ASSERT_TRUE(pressed);

  EXPECT_FALSE(FileExists(dir / "big.enc"));
  EXPECT_FALSE(LogHasRecords());
  EXPECT_EQ(window().label(1)->text(), "Encryption abandoned.");
  EXPECT_TRUE(platform.help_window()->isVisible()) << "the help stays where the user put it";
}

TEST_F(LongCommandTest, AnEscapeWhileIdleHidesTheHelpAndStopsNoLaterRun) {
  LoadBigFile();
  Press(Qt::Key_F1);
  Press(Qt::Key_Escape, Qt::NoModifier, platform.help_window()->text1());
  EXPECT_FALSE(platform.help_window()->isVisible());
  EXPECT_FALSE(s.AbortRequested);

  // An Escape pressed on the main window while nothing runs is meant for no run.
  Press(Qt::Key_Escape);
  Press(Qt::Key_E, Qt::AltModifier);
  EXPECT_EQ(ReadFile(dir / "big.enc").size(), size_t{8} << 20);
  EXPECT_TRUE(LogHasRecords());
  EXPECT_FALSE(s.AbortRequested);
  EXPECT_TRUE(platform.messages.empty()) << LastMessage();

  Press(Qt::Key_Escape);
  platform.SetNextFileAnswer(dir / "big.enc");
  Press(Qt::Key_D, Qt::AltModifier);
  EXPECT_EQ(ReadFile(dir / "big.dec").size(), size_t{8} << 20);
  EXPECT_FALSE(window().label(1)->isVisible());
}

// A decrypted result takes a new name at once (a link); a loaded file is copied, which
// shows its progress on the bar and the status line, keeps the window answering, and
// stops at Escape.
TEST_F(LongCommandTest, RenamingShowsTheCopysProgressAndEscapeAbandonsIt) {
  WriteFile(dir / "big.enc", std::string(16 << 20, 'e'));
  Trigger("menuOptionsBinaryMode");
  OpenTestKey();
  platform.SetNextFileAnswer(dir / "big.enc");
  Trigger("menuFileDecrypt");
  ASSERT_EQ(s.BinaryData.size(), int64_t{16} << 20);
  platform.SetNextInputAnswer("renamed.bin");
  Trigger("menuFileRename");
  EXPECT_EQ(ReadFile(dir / "renamed.bin"), ReadFile(dir / "big.dec"));
  EXPECT_FALSE(window().label(1)->isVisible());

  WriteFile(dir / "big.bin", std::string(64 << 20, 'b'));
  Trigger("menuTextClear");  // nothing held: Rename copies the loaded file
  platform.SetNextFileAnswer(dir / "big.bin");
  Trigger("menuFileLoad");
  bool answered = false;
  QTimer::singleShot(0, [&] {
    answered = true;
    EXPECT_TRUE(window().label(1)->isVisible());
    EXPECT_TRUE(window().label(1)->text().startsWith("Saving"))
        << window().label(1)->text().toStdString();
    // Other commands wait until the copy is written.
    Press(Qt::Key_B, Qt::AltModifier);
    EXPECT_TRUE(s.BinaryMode);
    Press(Qt::Key_Escape);
  });
  platform.SetNextInputAnswer("copy.bin");
  Trigger("menuFileRename");
  EXPECT_TRUE(answered) << "no event was handled while the copy was made";
  EXPECT_FALSE(FileExists(dir / "copy.bin"));
  EXPECT_TRUE(window().label(1)->isVisible());
  EXPECT_EQ(window().label(1)->text(), "Saving abandoned.");
  EXPECT_FALSE(window().progress_bar()->isVisible());
  EXPECT_TRUE(platform.messages.empty()) << LastMessage();
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
