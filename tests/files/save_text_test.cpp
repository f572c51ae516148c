// SPDX-License-Identifier: MIT
#include "files/save_text.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_identity.h"
#include "support/posix_only.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace marrowlock {
namespace {

class SaveTextTest : public ::testing::Test {
 protected:
  TempDir dir;
  ScriptedPlatform platform;
  ProgramState s{platform};
};

TEST_F(SaveTextTest, WritesTheTextBytesAsTheyAreUnderTheBareName) {
  s.Form1.Text1.Text = "one\r\ntwo\r\nthree";
  platform.file_answers = {dir / "notes.txt"};
  SaveTextCommand(s);

  EXPECT_EQ(ReadFile(dir / "notes.txt"), "one\r\ntwo\r\nthree");
  EXPECT_EQ(s.Form1.Label5.Caption, "Decrypted file(notes.txt)");
  ASSERT_EQ(platform.file_requests.size(), 1u);
  const FileDialogRequest& request = platform.file_requests[0];
  EXPECT_EQ(request.Title, "Save Text");
  EXPECT_EQ(request.Filter,
            "All Files (*.*)|*.*|Text Files(*.txt)|*.txt|Documents Files (*.doc;*.)|*.doc;*.");
  EXPECT_EQ(request.FilterIndex, 2);
  EXPECT_EQ(request.InitialDirectory, dir.path());
  EXPECT_EQ(request.FileName, "");
  EXPECT_TRUE(platform.messages.empty());
}

// Any text may have been decrypted: a saved one is the owner's only, under any
// umask, and a link at the chosen name is replaced, not written through.
TEST_F(SaveTextTest, ASavedTextIsOwnerOnlyAndNeverWrittenThroughALink) {
  MARROWLOCK_POSIX_ONLY(kSymlinks);
  WriteFile(dir / "victim", "must stay");
  std::filesystem::create_symlink(dir / "victim", dir / "notes.txt");
  s.Form1.Text1.Text = "decrypted secrets";
  platform.file_answers = {dir / "notes.txt"};
  const mode_t old_mask = ::umask(0);
  SaveTextCommand(s);
  ::umask(old_mask);
  EXPECT_EQ(std::filesystem::symlink_status(dir / "notes.txt").type(),
            std::filesystem::file_type::regular);
  EXPECT_EQ(PermissionBits(dir / "notes.txt"), 0600u);
  EXPECT_EQ(ReadFile(dir / "notes.txt"), "decrypted secrets");
  EXPECT_EQ(ReadFile(dir / "victim"), "must stay");
}

TEST_F(SaveTextTest, AFileInAnotherFolderKeepsItsFullPathAndAnOldLongerFileIsReplacedWhole) {
  std::filesystem::create_directory(dir / "sub");
  WriteFile(dir / "sub/long.txt", std::string(10000, 'L'));
  s.Form1.Text1.Text = "short";
  platform.file_answers = {dir / "sub/long.txt"};
  SaveTextCommand(s);

  EXPECT_EQ(ReadFile(dir / "sub/long.txt"), "short");
  EXPECT_EQ(s.Form1.Label5.Caption, "Decrypted file(" + dir / "sub/long.txt" + ")");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "sub"),
                          std::filesystem::directory_iterator()),
            1);
}

TEST_F(SaveTextTest, DoesNothingInBinaryModeWithEmptyTextOrOnCancel) {
  // No dialog is scripted: asking would fail the test.
  SaveTextCommand(s);
  s.BinaryMode = true;
  s.Form1.Text1.Text = "(binary mode)";
  SaveTextCommand(s);
  EXPECT_TRUE(platform.file_requests.empty());

  s.BinaryMode = false;
  s.Form1.Text1.Text = "text";
  platform.file_answers = {std::nullopt};
  SaveTextCommand(s);
  EXPECT_EQ(platform.file_requests.size(), 1u);
  EXPECT_EQ(s.Form1.Label5.Caption, "Decrypted File ()");
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST_F(SaveTextTest, AFailedSaveSaysWhyAndKeepsTheCaption) {
  s.Form1.Text1.Text = "text";
  platform.file_answers = {dir / "missing/out.txt"};
  SaveTextCommand(s);
  EXPECT_EQ(platform.messages, std::vector<std::string>{"Cannot create " + dir / "missing/out.txt" +
                                                        ": No such file or directory."});
  EXPECT_EQ(s.Form1.Label5.Caption, "Decrypted File ()");

  // A folder of that name is not replaced by the text.
  std::filesystem::create_directory(dir / "folder.txt");
  WriteFile(dir / "folder.txt/inside", "kept");
  platform.file_answers = {dir / "folder.txt"};
  SaveTextCommand(s);
  EXPECT_EQ(platform.messages.size(), 2u);
  EXPECT_EQ(ReadFile(dir / "folder.txt/inside"), "kept");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
}

// A decrypted text saved over the key in use or over its own encrypted file would
// destroy them: both are refused, whatever name leads to them.
TEST_F(SaveTextTest, NeverReplacesTheKeyOrTheEncryptedFile) {
  WriteFile(dir / "k.mlk", "key bytes");
  WriteFile(dir / "x.enc", "encrypted");
#ifdef _WIN32  // where only administrators make symbolic links
  std::filesystem::create_hard_link(dir / "x.enc", dir / "x-link");
#else
  std::filesystem::create_symlink(dir / "x.enc", dir / "x-link");
#endif
  s.KeyFileName = "k.mlk";
  s.DecryptedFrom = IdentityOf(dir / "x.enc");
  s.Form1.Text1.Text = "decrypted text";
  platform.file_answers = {dir / "k.mlk", dir / "x-link"};
  SaveTextCommand(s);
  SaveTextCommand(s);
  EXPECT_EQ(platform.messages,
            (std::vector<std::string>{"Cannot write k.mlk: it is the key file in use.",
                                      "Cannot write x-link: it is the encrypted file being "
                                      "decrypted."}));
  EXPECT_EQ(ReadFile(dir / "k.mlk"), "key bytes");
  EXPECT_EQ(ReadFile(dir / "x.enc"), "encrypted");
  EXPECT_EQ(s.Form1.Label5.Caption, "Decrypted File ()");
}

}  // namespace
}  // namespace marrowlock
