// SPDX-License-Identifier: MIT

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "commands/command_fixture.h"
#include "files/decrypted_output.h"
#include "files/save_text.h"
#include "platform/output_file.h"
#include "support/environment.h"

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

// What is in the folder, hidden names included (but the home folder of the log).
std::vector<std::string> FolderEntries() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(".")) {
    if (entry.path().filename() != "home") names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(AbandonTest, AnAbandonedEncryptionLeavesNothingAndWritesNoLog) {
  UseKey(16);
  BinaryMode();
  const std::string data = PatternBytes(40000, 5);
  WriteFile("src.bin", data);
  PressEscapeAtFlush(3);
  s.EncryptSourceName = "src.bin";
  EncryptCommand(s);
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"src.bin"});
  EXPECT_EQ(LogText(), "");
  EXPECT_FALSE(s.AbortRequested);
  EXPECT_FALSE(s.Form1.ProgressBar1.Visible);
  // The status line says so, so the caption naming an earlier output is not read as success.
  EXPECT_TRUE(s.Form1.Label1.Visible);
  EXPECT_EQ(s.Form1.Label1.Caption, "Encryption abandoned.");
  EXPECT_FALSE(s.CommandRunning);
}

// Nothing of an abandoned decryption is kept, on the disk or held for Rename, which
// would save the part as if it were the whole result.
TEST_F(AbandonTest, AnAbandonedDecryptionLeavesNothingAndHoldsNothing) {
  UseKey(16);
  BinaryMode();
  WriteFile("c.enc", PatternBytes(40000, 6));
  // With an unnamed working file, and with a hidden one where there can be none.
  for (bool hidden : {false, true}) {
    AvoidUnnamedTemporaries(hidden);
    PressEscapeAtFlush(3);
    s.DecryptSourceName = "c";
    DecryptCommand(s);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"c.enc"});
    EXPECT_TRUE(s.BinaryData.empty());
  }
  AvoidUnnamedTemporaries(false);
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
    EXPECT_EQ(s.CipherPos, 48) << "the bytes after the last whole block are not taken";
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
  // It ends a batch run with a failure.
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

// After a decryption, the name box of Rename and the dialog of Save take any name but
// the encrypted file's and the key's, which the result would replace.
TEST_F(CommandTest, ADecryptedResultIsNeverSavedOverItsEncryptedFileOrTheKey) {
  UseKey(16);
  WriteFile("k.mlk", "the key");
  s.KeyFileName = "k.mlk";
  const std::string encrypted = ReferenceTransform(PatternBytes(64, 3), key.pair);
  WriteFile("t.enc", encrypted);
  s.DecryptSourceName = "t.enc";
  DecryptCommand(s);
  platform.file_answers = {dir / "t.enc", dir / "k.mlk"};
  SaveTextCommand(s);
  SaveTextCommand(s);

  BinaryMode();
  s.DecryptSourceName = "t.enc";
  DecryptCommand(s);
  platform.input_answers = {"t.enc", "k.mlk"};
  RenameCommand(s);
  RenameCommand(s);
  EXPECT_EQ(platform.messages, (std::vector<std::string>{
                                   "Cannot write t.enc: it is the encrypted file being decrypted.",
                                   "Cannot write k.mlk: it is the key file in use.",
                                   "Cannot write t.enc: it is the encrypted file being decrypted.",
                                   "Cannot write k.mlk: it is the key file in use."}));
  EXPECT_EQ(ReadFile("t.enc"), encrypted);
  EXPECT_EQ(ReadFile("k.mlk"), "the key");
}

TEST_F(CommandTest, ADecryptedFileIsPrivate) {
  UseKey(4);
  BinaryMode();
  WriteFile("p.enc", PatternBytes(64, 1));
  s.DecryptSourceName = "p.enc";
  DecryptCommand(s);
  ASSERT_TRUE(FileExists("p.dec"));
  if (const std::optional<unsigned> bits = PermissionBits("p.dec")) {
    EXPECT_EQ(*bits & 077, 0u);
  }
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
  EXPECT_EQ(platform.messages[0], "Cannot write src.enc: Is a directory.");
  EXPECT_EQ(ReadFile("src.bin"), "source bytes");
  EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"src.bin", "src.enc"}));
  EXPECT_FALSE(s.Form1.ProgressBar1.Visible);

  // The final name lies in a folder that does not exist.
  s.BinaryMode = false;
  s.Form1.Text1.Text = "some text";
  platform.input_answers = {"nowhere/out"};
  EncryptCommand(s);
  EXPECT_EQ(platform.messages.back(), "Cannot create nowhere/out.enc: No such file or directory.");

  // The log cannot be written: the result is named all the same, and the log's
  // failure is shown.
  WriteFile("kept.enc", "earlier output");
  s.LogPath = dir.path();
  platform.input_answers = {"kept"};
  EncryptCommand(s);
  EXPECT_EQ(platform.messages.back().rfind("Cannot open " + dir.path() + ": ", 0), 0u);
  EXPECT_EQ(ReadFile("kept.enc").size(), 16u);

  // A read-only folder takes no working file (Windows has no such folders).
  if (!RunningAsRoot() && PermissionBits(".")) {
    s.LogPath.clear();
    std::filesystem::create_directory("ro");
    WriteFile("ro/in.bin", "x");
    std::filesystem::current_path("ro");
    std::filesystem::permissions(".",
                                 std::filesystem::perms::owner_write |
                                     std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    BinaryMode();
    s.EncryptSourceName = "in.bin";
    EncryptCommand(s);
    EXPECT_EQ(platform.messages.back().rfind("Cannot ", 0), 0u);
    EXPECT_EQ(ReadFile("in.bin"), "x");
    std::filesystem::permissions(".", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
  }
}

}  // namespace
}  // namespace marrowlock
