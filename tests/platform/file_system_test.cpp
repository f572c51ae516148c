// SPDX-License-Identifier: MIT
#include "platform/file_system.h"

#include <sys/stat.h>
#ifndef _WIN32
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <map>

#include <gtest/gtest.h>

#include "platform/output_file.h"
#include "support/posix_only.h"
#include "support/program_run.h"
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
  MakeFolder("folder", 0755);
  EXPECT_THROW(File::OpenRead("folder"), FileError);
  EXPECT_FALSE(RegularFileSize("folder"));
  if (MakeFifo("fifo")) {
    EXPECT_THROW(File::OpenRead("fifo"), FileError);
    EXPECT_FALSE(RegularFileSize("fifo"));
  }
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
  RenameNoReplace("a", "c");
  EXPECT_EQ(ReadFile("c"), "new");
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

int Entries(const std::string& folder) {
  int entries = 0;
  for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(folder)) ++entries;
  return entries;
}

TEST(OutputFileTest, TheTargetAppearsOnlyWhenPublishedAndNothingElseIsLeft) {
  TempDir dir;
  WriteFile("out.txt", "the old text");
  {
    OutputFile out("out.txt", Access::kShared);
    out.file().Write("the new text");
    EXPECT_EQ(ReadFile("out.txt"), "the old text") << "not before Publish";
    out.Publish();
  }
  EXPECT_EQ(ReadFile("out.txt"), "the new text");
  {
    OutputFile dropped("dropped.txt", Access::kShared);
    dropped.file().Write("never named");
  }
  EXPECT_FALSE(FileExists("dropped.txt"));
  EXPECT_EQ(Entries(dir.path()), 1) << "no temporary file is left behind";
}

TEST(OutputFileTest, KeepingAnExistingTargetFailsAndChangesNothing) {
  TempDir dir;
  WriteFile("key.mlk", "precious");
  OutputFile out("key.mlk", Access::kPrivate);
  out.file().Write("other");
  try {
    out.Publish(OutputFile::Existing::kKeep);
    FAIL() << "an existing file was replaced";
  } catch (const FileError& e) {
    EXPECT_STREQ(e.what(), "Cannot create key.mlk: File exists.");
    EXPECT_EQ(e.error_number(), EEXIST);
  }
  EXPECT_EQ(ReadFile("key.mlk"), "precious");
}

TEST(OutputFileTest, PrivateFilesAreOwnerOnlyWhateverTheUmask) {
  MARROWLOCK_POSIX_ONLY(kPermissionBits);
  TempDir dir;
  const mode_t old_mask = ::umask(0);
  WriteFileReplacing("private.dec", "plain", Access::kPrivate);
  WriteFileReplacing("shared.enc", "cipher", Access::kShared);
  ::umask(022);
  WriteFileReplacing("masked.enc", "cipher", Access::kShared);
  ::umask(old_mask);
  EXPECT_EQ(PermissionBits("private.dec"), 0600u);
  EXPECT_EQ(PermissionBits("shared.enc"), 0666u);
  EXPECT_EQ(PermissionBits("masked.enc"), 0644u);
}

TEST(FileSystemTest, TheWriteFailureHookActsLikeAFullDisk) {
  TempDir dir;
  FailWritesAfter(10);
  File out = File::Create("full.bin");
  out.Write("12345");
  try {
    out.Write("6789abcdef");
    FAIL() << "the write went through";
  } catch (const FileError& e) {
    EXPECT_STREQ(e.what(), "Cannot write full.bin: No space left on device.");
  }
  FailWritesAfter(std::nullopt);
  out.Close();
  EXPECT_EQ(ReadFile("full.bin"), "123456789a") << "what fitted was written";
  EXPECT_THROW(
      {
        FailWritesAfter(0);
        WriteFileReplacing("kept.txt", "anything");
      },
      FileError);
  FailWritesAfter(std::nullopt);
  EXPECT_FALSE(FileExists("kept.txt"));
}

TEST(FileSystemTest, FolderListingsAndSameFile) {
  MARROWLOCK_POSIX_ONLY(kSymlinks);
  TempDir dir;
  WriteFile("a.mlk", "k");
  MakeFolder("sub.mlk", 0755);
  std::filesystem::create_symlink("a.mlk", "link.mlk");
  std::filesystem::create_symlink("nowhere", "dangling.mlk");
  std::map<std::string, bool> regular;
  for (const FolderEntry& e : ListFolder(dir.path())) regular[e.name] = e.is_regular_file;
  EXPECT_EQ(regular,
            (std::map<std::string, bool>{
                {"a.mlk", true}, {"dangling.mlk", false}, {"link.mlk", true}, {"sub.mlk", false}}));
  EXPECT_TRUE(ListFolder(dir / "missing").empty());
  EXPECT_TRUE(SameFile("a.mlk", "link.mlk"));
  EXPECT_FALSE(SameFile("a.mlk", "sub.mlk"));
  EXPECT_FALSE(SameFile("dangling.mlk", "dangling.mlk"));
}

// Nothing the program creates follows a link or reuses a file that is already there.
TEST(FileSystemTest, CreatingNeverFollowsALinkNorTakesOverAnExistingFile) {
  MARROWLOCK_POSIX_ONLY(kSymlinks);
  TempDir dir;
  WriteFile("victim", "must stay");
  std::filesystem::create_symlink("victim", "link");
  try {
    File::CreateExclusive("link", Access::kPrivate);
    FAIL() << "created through a link";
  } catch (const FileError& e) {
    EXPECT_STREQ(e.what(), "Cannot create link: File exists.");
  }
  try {
    File::OpenAppend("link");
    FAIL() << "appended through a link";
  } catch (const FileError& e) {
    EXPECT_STREQ(e.what(), "Cannot open link: Too many levels of symbolic links.");
  }
  ASSERT_TRUE(MakeFifo("fifo"));
  EXPECT_THROW(File::OpenAppend("fifo"), FileError) << "and does not hang";
  EXPECT_EQ(ReadFile("victim"), "must stay");

  const mode_t old_mask = ::umask(0);
  File log = File::OpenAppend("new.log");
  log.Write("one ");
  log.Close();
  ::umask(old_mask);
  EXPECT_EQ(PermissionBits("new.log"), 0600u);
  File more = File::OpenAppend("new.log", Access::kShared);
  more.Write("two");
  more.Close();
  EXPECT_EQ(ReadFile("new.log"), "one two");
}

TEST(FileSystemTest, OnlyAMissingNameIsAbsentAnythingElseUnreachableHasItsReason) {
  MARROWLOCK_POSIX_ONLY(kSymlinks);
  TempDir dir;
  EXPECT_NO_THROW(CheckReachable("missing"));
  std::filesystem::create_symlink("nowhere", "dangling");
  EXPECT_NO_THROW(CheckReachable("dangling"));
  std::filesystem::create_symlink("loop-b", "loop-a");
  std::filesystem::create_symlink("loop-a", "loop-b");
  try {
    CheckReachable("loop-a");
    FAIL();
  } catch (const FileError& e) {
    EXPECT_STREQ(e.what(), "Cannot open loop-a: Too many levels of symbolic links.");
  }
}

// The working file is published through its descriptor: a file swapped in at its
// name is neither published nor removed.
TEST(OutputFileTest, PublishingAnOpenFileNeverTakesWhatIsNowAtItsName) {
  TempDir dir;
  File work = File::CreateExclusive("default.enc", Access::kShared);
  work.Write("ours");
  std::filesystem::rename("default.enc", "moved-away");
  WriteFile("default.enc", "someone else's");
  WriteFile("out.enc", "old output");
#if MARROWLOCK_LINUX_FEATURES
  PublishOpenFile(work, "default.enc", "out.enc", Access::kShared);
  EXPECT_EQ(ReadFile("out.enc"), "ours");
#else
  // Without /proc, and on Windows, the open file is reached by its name only: a swapped name is refused.
  EXPECT_THROW(PublishOpenFile(work, "default.enc", "out.enc", Access::kShared), FileError);
  EXPECT_EQ(ReadFile("out.enc"), "old output");
#endif
  EXPECT_EQ(ReadFile("default.enc"), "someone else's");

  // Unswapped, the working name goes once the output has its name.
  File second = File::CreateExclusive("work", Access::kShared);
  second.Write("second");
  PublishOpenFile(second, "work", "second.enc", Access::kShared);
  EXPECT_EQ(ReadFile("second.enc"), "second");
  EXPECT_FALSE(FileExists("work"));
  EXPECT_EQ(Entries(dir.path()), 4) << "no hidden name is left";
}

// A folder that may be written to but not read (mode 0333) cannot be opened to be
// synced once an output has its name there. The output is complete and stays: the
// folder is reported, never a failure, on every way of publishing.
TEST(OutputFileTest, AFolderThatCannotBeSyncedAfterNamingIsReportedNotFailed) {
  MARROWLOCK_POSIX_ONLY(kSecondUser);
#ifndef _WIN32
  TempDir dir;
  if (!WhyNoOtherUser().empty()) GTEST_SKIP() << WhyNoOtherUser();
  ::chmod(dir.path().c_str(), 0755);
  MakeFolder("dropbox", 0333);
  ::chmod("dropbox", 0333);
  int report[2];
  ASSERT_EQ(::pipe(report), 0);
  pid_t child = ::fork();
  if (child == 0) {
    ::close(report[0]);
    if (::setgroups(0, nullptr) != 0 || ::setgid(kOtherUser) != 0 || ::setuid(kOtherUser) != 0 ||
        ::chdir("dropbox") != 0) {
      ::_exit(2);
    }
    std::string said;
    ReportUnsyncedFolders([&said](const std::string& target, const FileError& e) {
      said += target + ": " + e.what() + "\n";
    });
    try {
      for (bool hidden : {false, true}) {
        AvoidUnnamedTemporaries(hidden);
        const std::string tag = hidden ? "hidden" : "unnamed";
        for (OutputFile::Existing existing :
             {OutputFile::Existing::kKeep, OutputFile::Existing::kReplace}) {
          OutputFile out(tag + (existing == OutputFile::Existing::kKeep ? ".kept" : ".replaced"),
                         Access::kPrivate);
          out.file().Write(tag);
          out.Publish(existing);
        }
      }
      File work = File::CreateExclusive("default.dec", Access::kPrivate);
      work.Write("window");
      PublishOpenFile(work, "default.dec", "window.dec", Access::kPrivate);
      File held = File::CreateExclusive("held", Access::kPrivate);
      held.Write("held");
      PublishHeldFile(held, "held.dec", Access::kPrivate, nullptr);
    } catch (const FileError& e) {
      said += std::string("failed: ") + e.what() + "\n";
    }
    ::write(report[1], said.data(), said.size());
    ::_exit(0);
  }
  ::close(report[1]);
  std::string said;
  char buffer[512];
  for (ssize_t n; (n = ::read(report[0], buffer, sizeof(buffer))) > 0;) said.append(buffer, n);
  ::close(report[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const std::string reason = ": Cannot open folder .: Permission denied.\n";
  EXPECT_EQ(said, "unnamed.kept" + reason + "unnamed.replaced" + reason + "hidden.kept" + reason +
                      "hidden.replaced" + reason + "window.dec" + reason + "held.dec" + reason);
  for (const char* name : {"unnamed.kept", "unnamed.replaced", "hidden.kept", "hidden.replaced"}) {
    EXPECT_EQ(ReadFile(dir / "dropbox/" + name),
              std::string(name).substr(0, std::string(name).find('.')));
  }
  EXPECT_EQ(ReadFile(dir / "dropbox/window.dec"), "window");
  EXPECT_EQ(ReadFile(dir / "dropbox/held.dec"), "held");
  // "held" and its new link "held.dec", and nothing hidden beside them.
  EXPECT_EQ(Entries(dir / "dropbox"), 7) << "no working file and no temporary is left";
#endif
}

}  // namespace
}  // namespace marrowlock
