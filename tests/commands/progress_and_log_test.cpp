// SPDX-License-Identifier: MIT
#include <sys/stat.h>

#include "commands/command_fixture.h"
#include "commands/operation_log.h"
#include "commands/throughput.h"

namespace marrowlock {
namespace {

TEST(RateText, SwitchesToMegabytesAtOneMegabyteAMinute) {
  EXPECT_EQ(RateText(1048576, 60.0), " 1MB/min");
  EXPECT_EQ(RateText(1048575, 60.0), " 1023.9KB/min");
  EXPECT_EQ(RateText(1572864, 60.0), " 1.5MB/min");
  EXPECT_EQ(RateText(831898, 60.0), " 812.4KB/min");
  EXPECT_EQ(RateText(512, 60.0), " .5KB/min");
  EXPECT_EQ(RateText(2048, 1.0), " 120KB/min");
}

TEST(OperationLog, SecondsAreWholeHundredthsWithAZeroInFrontBelowOneSecond) {
  EXPECT_EQ(LogSecondsText(0.25), "0.25");
  EXPECT_EQ(LogSecondsText(0.004), "00");
  EXPECT_EQ(LogSecondsText(2.5), "2.5");
  EXPECT_EQ(LogSecondsText(36000.7 - 36000.0), "0.7");
  EXPECT_EQ(LogSecondsText(12.05), "12.05");
  EXPECT_EQ(LogSecondsText(3.0), "3");
}

TEST_F(CommandTest, TheLogGetsAHeaderOnceAndOneRecordPerRunAcrossMidnight) {
  platform.now = 1.0;  // the run started at 23:59:59
  AppendLogLine(s, 4001, 86399.0, "Encrypt");
  platform.now = 36000.25;
  AppendLogLine(s, 48, 36000.0, "Decrypt");
  EXPECT_EQ(LogText(),
            "\"Filesize         Time         Task\x07\r\"\r\n"
            "\"4001,      2secs,      Encrypt\x07\r\"\r\n"
            "\"48,      0.25secs,      Decrypt\x07\r\"\r\n");
}

// Each flush moves the clock half a second on: an update is due every second flush.
class ProgressTest : public CommandTest {
 protected:
  std::vector<std::pair<int, std::string>> seen;  // bar and Label1 at each flush
  void SetUp() override {
    UseKey(16);
    platform.on_events = [this] {
      seen.emplace_back(s.Form1.ProgressBar1.Value, s.Form1.Label1.Caption);
      platform.now += 0.5;
    };
  }
};

TEST_F(ProgressTest, EncryptionShowsNothingAtItsFirstDueUpdate) {
  s.Form1.Text1.Text = std::string(10240, 'a');
  platform.input_answers = {"t"};
  EncryptCommand(s);
  ASSERT_EQ(seen.size(), 10u);
  EXPECT_EQ(seen[2], std::make_pair(0, std::string("Encrypting")));
  EXPECT_EQ(seen[4], std::make_pair(47, std::string("Encrypting\r\n 120KB/min")));
  EXPECT_EQ(seen[6].first, 66);
  EXPECT_FALSE(s.Form1.ProgressBar1.Visible);
  EXPECT_FALSE(s.Form1.Label1.Visible);
  EXPECT_EQ(LogText(), LogHeaderRecord() + "\"10240,      5secs,      Encrypt\x07\r\"\r\n");
}

TEST_F(ProgressTest, DecryptionShowsItsFirstDueUpdateAndNoneAfterMidnight) {
  WriteFile("d.enc", std::string(10240, 'x'));
  platform.now = 86398.0;
  s.DecryptSourceName = "d.enc";
  DecryptCommand(s);
  ASSERT_EQ(seen.size(), 10u);
  EXPECT_EQ(seen[2], std::make_pair(28, std::string("Decrypting\r\n 180KB/min")));
  EXPECT_EQ(seen[4].first, 47);
  // Midnight came at the fifth flush: the display stays as it was.
  EXPECT_EQ(seen[9], seen[5]);
  EXPECT_NE(LogText().find("\"10240,      5secs,      Decrypt"), std::string::npos);
}

// A run's logged time is its own: what its name boxes waited for the user is left out.
TEST_F(ProgressTest, TheLoggedTimeLeavesOutTheWaitOfTheNameBox) {
  s.Form1.Text1.Text = std::string(52, 't');
  platform.input_box_seconds = 6.0;
  platform.input_answers = {"t"};
  EncryptCommand(s);
  // "-o" without a name: the decrypted result's name is asked for at the end.
  s.OutputNameGiven = true;
  platform.input_answers = {"back.txt"};
  s.DecryptSourceName = "t.enc";
  DecryptCommand(s);
  EXPECT_TRUE(ReadFile("back.txt").starts_with(std::string(52, 't')));
  EXPECT_EQ(LogText(), LogHeaderRecord() + "\"52,      00secs,      Encrypt\x07\r\"\r\n" +
                           "\"64,      00secs,      Decrypt\x07\r\"\r\n");
}

TEST_F(ProgressTest, BatchRunsTouchNoDisplayButStillLog) {
  BinaryMode();
  s.BatchMode = true;
  WriteFile("in.bin", std::string(9000, 'b'));
  s.EncryptSourceName = "in.bin";
  EXPECT_EQ(ExitStatusOf(EncryptCommand), kExitOk);
  EXPECT_EQ(platform.redraws, 0);
  EXPECT_EQ(s.Form1.Label1.Caption, "Encrypting");
  EXPECT_TRUE(FileExists("in.enc"));
  EXPECT_NE(LogText().find("\"9000,      "), std::string::npos);
}

}  // namespace
}  // namespace marrowlock
