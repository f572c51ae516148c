// SPDX-License-Identifier: MIT
// The programs on Windows, run as a user or a script runs them: bytes that the C
// runtime's text mode would change pass untouched through files and pipes, names
// with characters outside the ANSI code page arrive whole, backslash paths and the
// NUL device work as outputs.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/program_run.h"
#include "support/temp_dir.h"

namespace marrowlock {
namespace {

class WindowsProgramsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ProgramResult made = Run(MARROWLOCK_KEYGEN_BINARY, {"-n", "16", key_});
    ASSERT_EQ(made.status, 0) << made.err;
  }

  ProgramResult Run(const std::string& program, std::vector<std::string> args,
                    std::string input = "") {
    ProgramRun run;
    run.program = program;
    run.args = std::move(args);
    run.folder = dir_.path();
    run.input = std::move(input);
    return RunToEnd(run);
  }

  TempDir dir_;
  std::string key_ = dir_ / "k.mlk";
};

// Ctrl-Z, CR LF, a lone CR and a lone LF: what text mode stops at or rewrites.
const std::string kTextModeBytes = std::string("one\r\ntwo\x1a three\rfour\n\x1a", 22) + "end";

TEST_F(WindowsProgramsTest, StreamsAndFilesPassEveryByteUntouched) {
  WriteFile(dir_ / "plain.txt", kTextModeBytes);
  ProgramResult file = Run(MARROWLOCK_CLI_BINARY, {"encrypt", "-k", key_, "plain.txt"});
  ASSERT_EQ(file.status, 0) << file.err;
  ProgramResult piped = Run(MARROWLOCK_CLI_BINARY, {"encrypt", "-k", key_}, kTextModeBytes);
  ASSERT_EQ(piped.status, 0) << piped.err;
  EXPECT_EQ(piped.out, ReadFile(dir_ / "plain.enc"));

  ProgramResult back = Run(MARROWLOCK_CLI_BINARY, {"decrypt", "-k", key_}, piped.out);
  ASSERT_EQ(back.status, 0) << back.err;
  // The last block's padding stays: the text itself comes first, byte for byte.
  EXPECT_EQ(back.out.substr(0, kTextModeBytes.size()), kTextModeBytes);

  ProgramResult batch = Run(MARROWLOCK_BINARY, {"plain.enc", "-i", "-k" + key_});
  ASSERT_EQ(batch.status, 0) << batch.err;
  EXPECT_EQ(ReadFile(dir_ / "plain.dec").substr(0, kTextModeBytes.size()), kTextModeBytes);
}

TEST_F(WindowsProgramsTest, BackslashPathsKeepTheirFolder) {
  std::filesystem::create_directories(std::filesystem::u8path(dir_ / "my.folder"));
  WriteFile(dir_ / "my.folder/notes", "notes");
  const std::string source = dir_.path() + "\\my.folder\\notes";
  ProgramResult cli = Run(MARROWLOCK_CLI_BINARY, {"encrypt", "-k", key_, source});
  ASSERT_EQ(cli.status, 0) << cli.err;
  EXPECT_TRUE(FileExists(dir_ / "my.folder/notes.enc"));
  EXPECT_FALSE(FileExists(dir_ / "my.enc"));

  ProgramResult batch = Run(MARROWLOCK_BINARY, {source + ".enc", "-i", "-k" + key_});
  ASSERT_EQ(batch.status, 0) << batch.err;
  EXPECT_TRUE(FileExists(dir_ / "my.folder/notes.dec"));
}

TEST_F(WindowsProgramsTest, NamesOutsideTheAnsiCodePageArriveWhole) {
  const std::string key = "\xD0\xBA\xD0\xBB\xD1\x8E\xD1\x87.mlk";  // "ключ.mlk"
  ProgramResult made = Run(MARROWLOCK_KEYGEN_BINARY, {"-n", "8", key});
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_TRUE(FileExists(dir_ / key));
  EXPECT_FALSE(FileExists(dir_ / "????.mlk"));

  const std::string text = "\xC3\xA9t\xC3\xA9.txt";  // "été.txt"
  WriteFile(dir_ / text, "summer");
  ProgramResult cli = Run(MARROWLOCK_CLI_BINARY, {"encrypt", "-k", key, text});
  ASSERT_EQ(cli.status, 0) << cli.err;
  EXPECT_TRUE(FileExists(dir_ / "\xC3\xA9t\xC3\xA9.enc"));
}

TEST_F(WindowsProgramsTest, TheNullDeviceTakesOutputAndNoFileAppears) {
  WriteFile(dir_ / "a.txt", "discard me");
  ASSERT_EQ(Run(MARROWLOCK_CLI_BINARY, {"encrypt", "-k", key_, "a.txt"}).status, 0);
  // As /dev/null on Linux, NUL exists: marrowlock-cli writes into it only with -f.
  ProgramResult cli =
      Run(MARROWLOCK_CLI_BINARY, {"decrypt", "-f", "-k", key_, "-o", "NUL", "a.enc"});
  EXPECT_EQ(cli.status, 0) << cli.err;
  ProgramResult batch = Run(MARROWLOCK_BINARY, {"a.enc", "-i", "-k" + key_, "-oNUL"});
  EXPECT_EQ(batch.status, 0) << batch.err;
  EXPECT_FALSE(FileExists(dir_ / "a.dec"));
}

TEST_F(WindowsProgramsTest, EncryptingAgainKeepsOrReplacesAsAsked) {
  WriteFile(dir_ / "a.txt", "first");
  WriteFile(dir_ / "b.bin", "second");
  ASSERT_EQ(Run(MARROWLOCK_CLI_BINARY, {"encrypt", "-k", key_, "a.txt"}).status, 0);
  const std::string first = ReadFile(dir_ / "a.enc");
  // Two different inputs are not one file, though the C runtime gave both inode 0.
  ProgramResult two = Run(MARROWLOCK_CLI_BINARY, {"encrypt", "-f", "-k", key_, "a.txt", "b.bin"});
  EXPECT_EQ(two.status, 0) << two.err;

  WriteFile(dir_ / "a.txt", "changed");
  ProgramResult kept = Run(MARROWLOCK_CLI_BINARY, {"encrypt", "-k", key_, "a.txt"});
  EXPECT_NE(kept.status, 0);
  EXPECT_EQ(ReadFile(dir_ / "a.enc"), first);
  ProgramResult replaced = Run(MARROWLOCK_CLI_BINARY, {"encrypt", "-f", "-k", key_, "a.txt"});
  EXPECT_EQ(replaced.status, 0) << replaced.err;
  EXPECT_NE(ReadFile(dir_ / "a.enc"), first);
}

#ifndef MARROWLOCK_WIN32_WINDOW
TEST_F(WindowsProgramsTest, TheProgramWithoutAWindowSaysSo) {
  ProgramResult run = Run(MARROWLOCK_BINARY, {"a.txt"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "This build has no window; add -i to run in batch mode.\n");
}
#endif

// The key in use is never an output, however its name is spelt: another case and
// backslashes lead to the same file on NTFS, and -f does not change that.
TEST_F(WindowsProgramsTest, TheKeyInUseIsNeverAnOutputWhateverItsSpelling) {
  WriteFile(dir_ / "plain.txt", "plain");
  const std::string key_bytes = ReadFile(key_);
  std::string other_spelling = dir_.path() + "\\K.MLK";
  for (const char* command : {"encrypt", "decrypt"}) {
    SCOPED_TRACE(command);
    if (std::string(command) == "decrypt") {
      ASSERT_EQ(Run(MARROWLOCK_CLI_BINARY, {"encrypt", "-f", "-k", key_, "plain.txt"}).status, 0);
    }
    const std::string input = std::string(command) == "encrypt" ? "plain.txt" : "plain.enc";
    ProgramResult run =
        Run(MARROWLOCK_CLI_BINARY, {command, "-f", "-k", key_, "-o", other_spelling, input});
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.err.find("it is the key file in use"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFile(key_), key_bytes);
  }
}

// NTFS finds "NOTES.enc" when asked for "notes.enc": names that differ only in case
// are one file, whether it exists yet or not, and -f does not make that safe.
TEST_F(WindowsProgramsTest, NamesThatDifferOnlyInCaseAreOneFile) {
  WriteFile(dir_ / "notes.txt", "first");
  WriteFile(dir_ / "NOTES.md", "second");
  WriteFile(dir_ / "\xC3\xA9t\xC3\xA9.txt", "third");  // "été.txt"
  WriteFile(dir_ / "\xC3\x89T\xC3\x89.md", "fourth");  // "ÉTÉ.md"
  struct Case {
    std::vector<std::string> args;
    std::string refusal;
  };
  const Case cases[] = {
      {{"notes.txt", "NOTES.md"}, "would both be written to"},
      {{"\xC3\xA9t\xC3\xA9.txt", "\xC3\x89T\xC3\x89.md"}, "would both be written to"},
      {{"-o", "NOTES.TXT", "notes.txt"}, "would replace it"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.back());
    std::vector<std::string> args = {"encrypt", "-f", "-k", key_};
    args.insert(args.end(), c.args.begin(), c.args.end());
    ProgramResult run = Run(MARROWLOCK_CLI_BINARY, args);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find(c.refusal), std::string::npos) << run.err;
  }
  EXPECT_FALSE(FileExists(dir_ / "notes.enc"));
  EXPECT_FALSE(FileExists(dir_ / "\xC3\xA9t\xC3\xA9.enc"));
  EXPECT_EQ(ReadFile(dir_ / "notes.txt"), "first");
}

}  // namespace
}  // namespace marrowlock
