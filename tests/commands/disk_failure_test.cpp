// SPDX-License-Identifier: MIT
// Failing disks and vanishing files: each failure shows one message that names the
// file, the source stays as it was, an earlier output of the same name stays whole,
// and a batch run ends with a failure status.

#include <filesystem>
#include <map>

#include "commands/command_fixture.h"
#include "files/settings_file.h"
#include "platform/system_paths.h"
#include "support/environment.h"
#include "support/posix_only.h"
#include "support/program_run.h"

namespace marrowlock {
namespace {

namespace fs = std::filesystem;

const std::string kPrevious = "an earlier output that must survive";

class DiskFailureTest : public CommandTest {
 protected:
  // A 16-byte key "k.mlk" in the test folder, which is also the key directory, so that
  // runs in subfolders find it too.
  void SetUp() override {
    UseKey(16);
    std::string bytes(key.pair.begin(), key.pair.end());
    bytes.append(key.pal.begin(), key.pal.end());
    WriteFile(dir / "k.mlk", bytes);
    EnsureSystemFolder();
    WriteSettingsFile(dir.path(), "k.mlk");
  }

  ProgramResult Batch(const std::string& folder, std::vector<std::string> args,
                      std::optional<off_t> limit = std::nullopt) {
    ProgramRun run;
    run.program = MARROWLOCK_BINARY;
    run.args = std::move(args);
    run.folder = folder;
    run.file_size_limit = limit;
    return RunToEnd(run);
  }

  // Runs the program in batch mode in `folder`, with writes failing after `bytes`.
  ProgramResult BatchOnFullDisk(const std::string& folder, int64_t bytes,
                                std::vector<std::string> args) {
    ProgramRun run;
    run.program = MARROWLOCK_BINARY;
    run.args = std::move(args);
    run.folder = folder;
    run.environment = {"MARROWLOCK_FAIL_WRITES_AFTER=" + std::to_string(bytes)};
    return RunToEnd(run);
  }

  // Runs the program in batch mode inside a private mount namespace, in a tmpfs of
  // `size` holding copies of the files in `stage`; afterwards the tmpfs's files are
  // copied to `after`. Nothing when this machine cannot make such a mount, and then
  // `no_small_disk` says why.
  std::string no_small_disk;
  std::optional<ProgramResult> BatchOnSmallDisk(const std::string& size, const std::string& stage,
                                                const std::string& after,
                                                std::vector<std::string> args) {
    if (!RunningAsRoot()) {
      no_small_disk = "mounting a tmpfs needs root";
      return std::nullopt;
    }
    if (!fs::exists("/usr/bin/unshare")) {
      no_small_disk = "/usr/bin/unshare is missing";
      return std::nullopt;
    }
    fs::create_directories(dir / "full");
    fs::create_directories(after);
    const std::string script =
        "bin=$1; size=$2; full=$3; stage=$4; after=$5; shift 5\n"
        ": >\"$full.entered\" || exit 98\n"
        "mount -t tmpfs -o size=$size marrowlock-full \"$full\" 2>/dev/null || exit 99\n"
        "cp -a \"$stage\"/. \"$full\"/ || exit 98\n"
        "cd \"$full\" || exit 98\n"
        "\"$bin\" \"$@\"\n"
        "status=$?\n"
        "cp -a . \"$after\"/\n"
        "exit $status\n";
    std::vector<std::string> full_args = {
        "-m", "/bin/sh", "-c", script, "sh", MARROWLOCK_BINARY, size, dir / "full", stage, after};
    full_args.insert(full_args.end(), args.begin(), args.end());
    ProgramRun run;
    run.program = "/usr/bin/unshare";
    run.args = full_args;
    run.folder = dir.path();
    ProgramResult result = RunToEnd(run);
    // unshare itself can be refused (inside a chroot, for one): the script never ran.
    const bool entered = FileExists(dir / "full.entered");
    std::error_code ignored;
    fs::remove(dir / "full.entered", ignored);
    if (!entered) {
      no_small_disk = "unshare -m cannot make a mount namespace here: " + result.err;
    } else if (result.status == 99) {
      no_small_disk = "no tmpfs can be mounted here";
    } else if (result.status == 98) {
      no_small_disk = "the small file system could not be prepared: " + result.err;
    }
    if (!no_small_disk.empty()) return std::nullopt;
    return result;
  }

  void ExpectOneMessage(const ProgramResult& result, const std::string& message) {
    EXPECT_FALSE(result.hung);
    EXPECT_EQ(result.status, kExitFailure);
    EXPECT_EQ(result.err, "marlk: " + message + "\n");
    EXPECT_EQ(result.out, "");
  }

  bool LogWritten() { return FileExists(LogFilePath()); }
};

// The program's file layer fails its writes after a given number of bytes, as a
// full disk would, so these runs need no rights to mount anything.
TEST_F(DiskFailureTest, AFullDiskStopsEachWriteWithoutHarm) {
  const std::string plain = PatternBytes(150 * 1024, 1);
  const std::string encrypted = ReferenceTransform(ReferenceFraming(plain, 16, true), key.pair);

  // The encrypted copy does not fit beside the source.
  fs::create_directories(dir / "full1");
  WriteFile(dir / "full1/src.bin", plain);
  WriteFile(dir / "full1/src.enc", kPrevious);
  ExpectOneMessage(BatchOnFullDisk(dir / "full1", 100 * 1024, {"src.bin", "-i", "-kk.mlk"}),
                   "Cannot write src.enc: No space left on device.");
  EXPECT_EQ(ReadFile(dir / "full1/src.bin"), plain);
  EXPECT_EQ(ReadFile(dir / "full1/src.enc"), kPrevious);

  // The decrypted file does not fit.
  fs::create_directories(dir / "full2");
  WriteFile(dir / "full2/src.enc", encrypted);
  WriteFile(dir / "full2/src.dec", kPrevious);
  ExpectOneMessage(BatchOnFullDisk(dir / "full2", 100 * 1024, {"src.enc", "-i", "-kk.mlk"}),
                   "Cannot write src.dec: No space left on device.");
  EXPECT_EQ(ReadFile(dir / "full2/src.enc"), encrypted);
  EXPECT_EQ(ReadFile(dir / "full2/src.dec"), kPrevious);
  EXPECT_FALSE(LogWritten()) << "a failed run is not a finished run";

  // The output named by -o does not fit; no other copy was made.
  fs::create_directories(dir / "full3");
  WriteFile(dir / "full3/src.enc", encrypted);
  WriteFile(dir / "full3/out.dec", kPrevious);
  ExpectOneMessage(
      BatchOnFullDisk(dir / "full3", 100 * 1024, {"src.enc", "-i", "-kk.mlk", "-oout.dec"}),
      "Cannot write out.dec: No space left on device.");
  EXPECT_EQ(ReadFile(dir / "full3/out.dec"), kPrevious);
  EXPECT_FALSE(FileExists(dir / "full3/default.dec"));
  for (const auto& entry : fs::directory_iterator(dir / "full3")) {
    EXPECT_NE(entry.path().filename().string().front(), '.')
        << "a temporary file was left behind: " << entry.path();
  }
}

// The same on a real file system that runs full, where this machine lets us mount one.
TEST_F(DiskFailureTest, ARealFullFileSystemStopsTheWriteWithoutHarm) {
  MARROWLOCK_POSIX_ONLY(kLoopMount);
  const std::string plain = PatternBytes(150 * 1024, 1);
  fs::create_directories(dir / "stage1");
  WriteFile(dir / "stage1/src.bin", plain);
  WriteFile(dir / "stage1/src.enc", kPrevious);
  auto enc = BatchOnSmallDisk("256k", dir / "stage1", dir / "after1", {"src.bin", "-i", "-kk.mlk"});
  if (!enc) GTEST_SKIP() << no_small_disk;
  ExpectOneMessage(*enc, "Cannot write src.enc: No space left on device.");
  EXPECT_EQ(ReadFile(dir / "after1/src.bin"), plain);
  EXPECT_EQ(ReadFile(dir / "after1/src.enc"), kPrevious);
}

// Without the rights to mount, a file-size limit makes writes fail part-way too.
TEST_F(DiskFailureTest, AFileSizeLimitStopsEncryptionAndDecryption) {
  MARROWLOCK_POSIX_ONLY(kFileSizeLimit);
  fs::create_directories(dir / "limited");
  const std::string plain = PatternBytes(200 * 1024, 2);
  WriteFile(dir / "limited/src.bin", plain);
  WriteFile(dir / "limited/src.enc", kPrevious);
  ExpectOneMessage(Batch(dir / "limited", {"src.bin", "-i", "-kk.mlk"}, 64 * 1024),
                   "Cannot write src.enc: File too large.");
  EXPECT_EQ(ReadFile(dir / "limited/src.bin"), plain);
  EXPECT_EQ(ReadFile(dir / "limited/src.enc"), kPrevious);

  WriteFile(dir / "limited/big.enc", PatternBytes(160 * 1024, 3));
  WriteFile(dir / "limited/big.dec", kPrevious);
  ExpectOneMessage(Batch(dir / "limited", {"big.enc", "-i", "-kk.mlk"}, 64 * 1024),
                   "Cannot write big.dec: File too large.");
  EXPECT_EQ(ReadFile(dir / "limited/big.dec"), kPrevious);
  EXPECT_FALSE(LogWritten());
}

TEST_F(DiskFailureTest, OutputNamesThatAreFoldersOrInMissingFolders) {
  WriteFile("src.bin", "plain bytes");
  fs::create_directory("src.enc");
  ProgramResult folder_enc = Batch(dir.path(), {"src.bin", "-i", "-kk.mlk"});
  ExpectOneMessage(folder_enc, "Cannot write src.enc: Is a directory.");
  EXPECT_EQ(ReadFile("src.bin"), "plain bytes");
  EXPECT_TRUE(fs::is_directory("src.enc"));

  const std::string encrypted = ReferenceTransform(std::string(64, 'e'), key.pair);
  WriteFile("data.enc", encrypted);
  fs::create_directory("data.dec");
  ExpectOneMessage(Batch(dir.path(), {"data.enc", "-i", "-kk.mlk"}),
                   "Cannot write data.dec: Is a directory.");
  EXPECT_EQ(ReadFile("data.enc"), encrypted);
  EXPECT_TRUE(fs::is_empty("data.dec"));

  ExpectOneMessage(Batch(dir.path(), {"data.enc", "-i", "-kk.mlk", "-onowhere/out.dec"}),
                   "Cannot create nowhere/out.dec: No such file or directory.");
  EXPECT_FALSE(fs::exists("nowhere"));
  EXPECT_FALSE(FileExists("default.dec"));

  ProgramResult folder_out = Batch(dir.path(), {"data.enc", "-i", "-kk.mlk", "-odata.dec"});
  EXPECT_EQ(folder_out.status, kExitFailure);
  EXPECT_EQ(Lines(folder_out.err).size(), 1u) << folder_out.err;
  EXPECT_NE(folder_out.err.find("data.dec"), std::string::npos) << folder_out.err;
  EXPECT_TRUE(fs::is_empty("data.dec"));
}

// The file was there when it was chosen and is gone when it is read.
class VanishingPlatform : public ScriptedPlatform {
 public:
  std::string doomed;
  std::string InputBox(const std::string& prompt) override {
    std::string answer = ScriptedPlatform::InputBox(prompt);
    std::error_code ec;
    std::filesystem::remove(doomed, ec);
    return answer;
  }
  std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) override {
    auto answer = ScriptedPlatform::OpenFileDialog(request);
    std::error_code ec;
    std::filesystem::remove(doomed, ec);
    return answer;
  }
};

TEST_F(DiskFailureTest, ASourceRemovedBetweenTheQuestionAndTheRead) {
  VanishingPlatform vanishing;
  ProgramState t(vanishing);
  InstallKey(t, key);
  t.BinaryMode = true;

  WriteFile("gone.bin", "soon gone");
  vanishing.doomed = "gone.bin";
  vanishing.input_answers = {"gone.bin"};
  EncryptCommand(t);
  EXPECT_EQ(vanishing.messages, std::vector<std::string>{"No such file found."});
  EXPECT_FALSE(FileExists("gone.bin"));
  EXPECT_FALSE(FileExists("gone.enc"));

  WriteFile("gone.enc", std::string(32, 'x'));
  vanishing.doomed = "gone.enc";
  vanishing.file_answers = {dir / "gone.enc"};
  DecryptCommand(t);
  EXPECT_EQ(vanishing.messages.back(), "No such file found.");
  EXPECT_FALSE(FileExists("gone.enc")) << "looking must not create it again";
  EXPECT_FALSE(FileExists("gone.dec"));

  EXPECT_FALSE(t.CommandRunning);
}

// Sources larger than one read piece, cut short after their size was taken.
TEST_F(DiskFailureTest, ASourceThatShrinksWhileItIsReadEndsTheRunWithAMessage) {
  BinaryMode();
  const std::string plain = PatternBytes(3 << 20, 4);
  WriteFile("src.bin", plain);
  WriteFile("src.enc", kPrevious);
  platform.on_events = [] {
    std::error_code ec;
    fs::resize_file("src.bin", 1000, ec);
  };
  s.EncryptSourceName = "src.bin";
  EncryptCommand(s);
  EXPECT_EQ(platform.messages,
            std::vector<std::string>{"Cannot read src.bin: The file ended early."});
  EXPECT_EQ(ReadFile("src.enc"), kPrevious);
  EXPECT_EQ(LogText(), "");
  EXPECT_FALSE(s.Form1.ProgressBar1.Visible);
  EXPECT_FALSE(s.CommandRunning);

  WriteFile("src.bin", plain);
  WriteFile("big.enc", plain);
  WriteFile("big.dec", kPrevious);
  platform.messages.clear();
  platform.on_events = [] {
    std::error_code ec;
    fs::resize_file("big.enc", 1000, ec);
  };
  s.DecryptSourceName = "big.enc";
  DecryptCommand(s);
  EXPECT_EQ(platform.messages,
            std::vector<std::string>{"Cannot read big.enc: The file ended early."});
  EXPECT_EQ(ReadFile("big.dec"), kPrevious);
  EXPECT_EQ(LogText(), "");

  // A batch run runs no events: the file shrinks once the run has started its clock.
  s.BatchMode = true;
  WriteFile("big.enc", plain);
  platform.on_events = nullptr;
  platform.on_clock = [] {
    std::error_code ec;
    fs::resize_file("big.enc", 1000, ec);
  };
  s.DecryptSourceName = "big.enc";
  EXPECT_EQ(ExitStatusOf(DecryptCommand), kExitFailure);
  platform.on_clock = nullptr;
  EXPECT_EQ(ReadFile("big.dec"), kPrevious);
}

TEST_F(DiskFailureTest, ASourceThatGrowsWhileItIsReadIsEncryptedAsLongAsItWas) {
  BinaryMode();
  const std::string plain = PatternBytes((3 << 19) + 7, 5);
  WriteFile("src.bin", plain);
  platform.on_events = [] {
    File more = File::OpenAppend("src.bin");
    more.Write("appended");
    more.Close();
  };
  s.EncryptSourceName = "src.bin";
  EncryptCommand(s);
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(ReadFile("src.enc"), ReferenceTransform(ReferenceFraming(plain, 16, true), key.pair));
}

}  // namespace
}  // namespace marrowlock

namespace marrowlock {
namespace {

// Encrypting, in binary mode from the window, a file whose name already ends in ".enc"
// would give an output of the same name, replacing the source with its own encryption.
TEST_F(DiskFailureTest, EncryptingAFileNamedLikeItsOutputKeepsTheSource) {
  BinaryMode();
  WriteFile("notes.enc", "plain notes, not yet encrypted");
  s.EncryptSourceName = "notes.enc";
  EncryptCommand(s);
  EXPECT_EQ(ReadFile("notes.enc"), "plain notes, not yet encrypted");
  EXPECT_EQ(platform.messages,
            std::vector<std::string>{"Cannot encrypt notes.enc: its encrypted file would take its "
                                     "name and replace it."});
  EXPECT_FALSE(FileExists("default.enc"));
}

}  // namespace
}  // namespace marrowlock
