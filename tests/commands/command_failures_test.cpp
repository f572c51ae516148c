// SPDX-License-Identifier: MIT
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "commands/command_fixture.h"

namespace marrowlock {
namespace {

class AbandonTest : public CommandTest {
 protected:
  // Escape arrives during the third flush.
  void PressEscapeAtFlush(int flush) {
    platform.on_events = [this, flush, count = 0]() mutable {
      if (++count == flush) s.AbortRequested = true;
    };
  }
};

TEST_F(AbandonTest, EncryptionKeepsTheFlushedPartAndWritesNoLogAndNoName) {
  UseKey(16);
  BinaryMode();
  const std::string data = PatternBytes(40000, 5);
  WriteFile("src.bin", data);
  PressEscapeAtFlush(3);
  s.EncryptSourceName = "src.bin";
  EncryptCommand(s);
  const std::string expected = ReferenceTransform(ReferenceFraming(data, 16, true), key.pair);
  EXPECT_EQ(ReadFile("default.enc"), expected.substr(0, 2048));
  EXPECT_FALSE(FileExists("src.enc"));
  EXPECT_EQ(LogText(), "");
  EXPECT_FALSE(s.AbortRequested);
  EXPECT_FALSE(s.Form1.ProgressBar1.Visible);
  // The status line says so, so the caption naming an earlier output is not read as success.
  EXPECT_TRUE(s.Form1.Label1.Visible);
  EXPECT_EQ(s.Form1.Label1.Caption, "Encryption abandoned.");
  EXPECT_FALSE(s.CommandRunning);
}

TEST_F(AbandonTest, DecryptionKeepsTheFlushedPartInDefaultDecAndBinaryData) {
  UseKey(16);
  BinaryMode();
  WriteFile("c.enc", PatternBytes(40000, 6));
  PressEscapeAtFlush(3);
  s.DecryptSourceName = "c";
  DecryptCommand(s);
  EXPECT_EQ(ReadFile("default.dec"),
            ReferenceTransform(PatternBytes(40000, 6), key.pal).substr(0, 2048));
  EXPECT_EQ(s.BinaryData.size(), 2048);
  EXPECT_FALSE(FileExists("c.dec"));
  EXPECT_EQ(LogText(), "");
  EXPECT_FALSE(s.AbortRequested);
  EXPECT_FALSE(s.Form1.ProgressBar1.Visible);
  EXPECT_TRUE(s.Form1.Label1.Visible);
  EXPECT_EQ(s.Form1.Label1.Caption, "Decryption abandoned.");
}

TEST_F(AbandonTest, AnEscapePressedWhileIdleIsForgottenWhenARunStarts) {
  UseKey(16);
  const std::string text(5000, 'q');
  s.AbortRequested = true;
  s.Form1.Text1.Text = text;
  platform.input_answers = {"out"};
  EncryptCommand(s);
  const std::string cipher = ReferenceTransform(ReferenceFraming(text, 16, false), key.pair);
  EXPECT_EQ(ReadFile("out.enc"), cipher);
  EXPECT_FALSE(s.AbortRequested);

  s.AbortRequested = true;
  s.DecryptSourceName = "out.enc";
  DecryptCommand(s);
  EXPECT_TRUE(ReadFile("out.dec").starts_with(text));
  EXPECT_EQ(s.Form1.Label1.Caption, "");
  EXPECT_FALSE(s.AbortRequested);
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(CommandTest, ShortEncryptedFilesDecryptTheirWholeBlocksAndReportDamageFromTwoBytesOn) {
  UseKey(16);
  BinaryMode();
  const std::string blocks = PatternBytes(48, 9);
  for (int extra : {0, 1, 5}) {
    SCOPED_TRACE(extra);
    platform.messages.clear();
    WriteFile("d.enc", blocks + std::string(static_cast<size_t>(extra), 'z'));
    s.DecryptSourceName = "d.enc";
    DecryptCommand(s);
    EXPECT_EQ(ReadFile("d.dec"), ReferenceTransform(blocks, key.pal));
    EXPECT_EQ(s.InputDamaged, extra >= 2);
    EXPECT_EQ(platform.messages, extra >= 2 ? std::vector<std::string>{"File was damaged, exiting"}
                                            : std::vector<std::string>{});
  }
  // Unattended, damaged input still names its output but ends with a failure status.
  s.BatchMode = s.StartedWithFile = true;
  s.DecryptSourceName = "x.y.enc";
  WriteFile("x.y.enc", blocks + "zz");
  EXPECT_EQ(ExitStatusOf(DecryptCommand), kExitFailure);
  EXPECT_EQ(ReadFile("x.dec"), ReferenceTransform(blocks, key.pal));
}

TEST_F(CommandTest, RefusalsTouchNothing) {
  UseKey(16);
  BinaryMode();
  WriteFile("old.enc", "previous");
  // A source that is not there: no working file, no output, no empty file.
  s.EncryptSourceName = "old";
  EncryptCommand(s);
  EXPECT_EQ(platform.messages.back(), "No such file found.");
  EXPECT_FALSE(FileExists("old"));
  EXPECT_FALSE(FileExists("default.enc"));
  EXPECT_EQ(ReadFile("old.enc"), "previous");
  // The working file itself cannot be its own source.
  WriteFile("default.enc", "working");
  s.EncryptSourceName = "default.enc";
  EncryptCommand(s);
  EXPECT_EQ(ReadFile("default.enc"), "working");
  EXPECT_NE(platform.messages.back().find("working file"), std::string::npos);
  // Both end a batch run with a failure.
  s.BatchMode = true;
  s.EncryptSourceName = "missing";
  EXPECT_EQ(ExitStatusOf(EncryptCommand), kExitFailure);
}

TEST_F(CommandTest, DecryptionKeepsTheUsersTextUntilItHasAFileToDecrypt) {
  s.Form1.Text1.Text = "unsaved words";
  platform.file_answers = {std::nullopt};
  DecryptCommand(s);  // dialog cancelled
  s.DecryptSourceName = "ledger";
  s.StartedWithFile = true;  // a command-line run checks the key too
  DecryptCommand(s);
  EXPECT_EQ(platform.messages,
            std::vector<std::string>{"You need to open a key before decrypting."});
  UseKey(16);
  s.DecryptSourceName = "ledger";
  DecryptCommand(s);
  EXPECT_EQ(platform.messages.back(), "No such file found.");
  EXPECT_FALSE(FileExists("ledger.enc"));
  EXPECT_EQ(s.Form1.Text1.Text, "unsaved words");
  EXPECT_EQ(platform.file_requests.at(0).Title, "Decrypt");
  EXPECT_EQ(platform.file_requests.at(0).Filter, "Encrypted Files (*.enc)|*.enc");
  EXPECT_EQ(platform.file_requests.at(0).Flags, 1);
}

TEST_F(CommandTest, EmptyTextIsNeverEncryptedEvenFromTheCommandLine) {
  UseKey(16);
  s.StartedWithFile = true;
  EncryptCommand(s);
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_FALSE(FileExists("default.enc"));
}

TEST_F(CommandTest, DecryptedWorkingFileIsPrivate) {
  UseKey(4);
  BinaryMode();
  WriteFile("p.enc", PatternBytes(64, 1));
  s.DecryptSourceName = "p.enc";
  DecryptCommand(s);
  struct stat st;
  ASSERT_EQ(::stat("default.dec", &st), 0);
  EXPECT_EQ(st.st_mode & 077, 0u);
}

TEST_F(CommandTest, AfterAFailedRenameTheNextEncryptTakesTheLoadedFileAgain) {
  UseKey(16);
  BinaryMode();
  WriteFile("src.bin", "source bytes");
  s.EncryptSourceName = s.LoadedFileName = "src.bin";  // as a binary-mode Load leaves them
  std::filesystem::create_directory("src.enc");        // the final name is a folder
  EncryptCommand(s);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(s.EncryptSourceName, "");
  EXPECT_EQ(s.LoadedFileName, "src.bin");

  // File > Encrypt, once the folder is gone: the loaded file, not the output's name.
  std::filesystem::remove("src.enc");
  EncryptCommand(s);
  EXPECT_EQ(platform.messages.size(), 1u) << platform.messages.back();
  EXPECT_EQ(ReadFile("src.enc"),
            ReferenceTransform(ReferenceFraming("source bytes", 16, true), key.pair));
}

// A file operation that fails shows one "Cannot ..." message and ends the run as
// Escape would; the source and any earlier output stay as they were.
TEST_F(CommandTest, FailingFileOperationsEndTheRunWithOneMessage) {
  UseKey(16);
  BinaryMode();
  WriteFile("src.bin", "source bytes");
  std::filesystem::create_directory("src.enc");  // the final name is a folder
  s.EncryptSourceName = "src.bin";
  EncryptCommand(s);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].rfind("Cannot rename default.enc to src.enc: ", 0), 0u);
  EXPECT_EQ(ReadFile("src.bin"), "source bytes");
  EXPECT_EQ(ReadFile("default.enc").size(), 16u);
  EXPECT_FALSE(s.Form1.ProgressBar1.Visible);

  // The final name lies in a folder that does not exist.
  s.BinaryMode = false;
  s.Form1.Text1.Text = "some text";
  platform.input_answers = {"nowhere/out"};
  EncryptCommand(s);
  EXPECT_EQ(platform.messages.back().rfind("Cannot rename default.enc to nowhere/out.enc: ", 0),
            0u);

  // The log cannot be written: the result is named all the same, and the log's
  // failure is shown.
  WriteFile("kept.enc", "earlier output");
  s.LogPath = dir.path();
  platform.input_answers = {"kept"};
  EncryptCommand(s);
  EXPECT_EQ(platform.messages.back().rfind("Cannot open " + dir.path() + ": ", 0), 0u);
  EXPECT_EQ(ReadFile("kept.enc").size(), 16u);
  EXPECT_FALSE(FileExists("default.enc"));

  // A read-only folder takes no working file.
  if (::geteuid() != 0) {
    s.LogPath.clear();
    std::filesystem::create_directory("ro");
    WriteFile("ro/in.bin", "x");
    ASSERT_EQ(::chdir("ro"), 0);
    ::chmod(".", 0555);
    BinaryMode();
    s.EncryptSourceName = "in.bin";
    EncryptCommand(s);
    EXPECT_EQ(platform.messages.back().rfind("Cannot ", 0), 0u);
    EXPECT_EQ(ReadFile("in.bin"), "x");
    ::chmod(".", 0755);
  }
}

}  // namespace
}  // namespace marrowlock
