#include "platform/file_system.h"

#include <sys/stat.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace marrowlock {
namespace {

TEST(FileSystemTest, OpenReadRefusesMissingFilesFoldersAndFifosWithAClearMessage) {
  TempDir dir;
  try {
    File::OpenRead("missing.txt");
    FAIL();
  } catch (const FileError& e) {
    EXPECT_STREQ(e.what(), "Cannot open missing.txt: No such file or directory.");
  }
  ::mkdir("folder", 0755);
  EXPECT_THROW(File::OpenRead("folder"), FileError);
  ::mkfifo("fifo", 0644);
  EXPECT_THROW(File::OpenRead("fifo"), FileError);
  EXPECT_FALSE(RegularFileSize("folder"));
  EXPECT_FALSE(RegularFileSize("fifo"));
  EXPECT_FALSE(FileExists("missing.txt"));
}

TEST(FileSystemTest, AShortReadIsAFailure) {
  TempDir dir;
  WriteFile("five", "12345");
  File f = File::OpenRead("five");
  EXPECT_EQ(f.Size(), 5);
  EXPECT_EQ(f.Read(3), "123");
  EXPECT_THROW(f.Read(3), FileError);
}

TEST(FileSystemTest, RenameNoReplaceKeepsAnExistingTarget) {
  TempDir dir;
  WriteFile("a", "new");
  WriteFile("b", "old");
  EXPECT_THROW(RenameNoReplace("a", "b"), FileError);
  EXPECT_EQ(ReadFile("b"), "old");
  EXPECT_EQ(ReadFile("a"), "new");
  RenameReplacing("a", "b");
  EXPECT_EQ(ReadFile("b"), "new");
  EXPECT_FALSE(FileExists("a"));
}

TEST(FileSystemTest, WriteFileReplacingLeavesNoTemporaryBehind) {
  TempDir dir;
  WriteFile("t.txt", "a much longer old text");
  WriteFileReplacing("t.txt", "short");
  EXPECT_EQ(ReadFile("t.txt"), "short");
  int entries = 0;
  for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path())) ++entries;
  EXPECT_EQ(entries, 1);
  EXPECT_THROW(WriteFileReplacing("no-such-folder/t.txt", "x"), FileError);
}

}  // namespace
}  // namespace marrowlock
