// SPDX-License-Identifier: MIT
// Batch runs of the real program: no window, messages on standard error, and an
// exit status that says whether the command got to its end.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>

#include "files/settings_file.h"
#include "platform/system_paths.h"
#include "support/environment.h"
#include "support/program_run.h"
#include "support/temp_dir.h"

namespace marrowlock {
namespace {

// Environment changes that leave the program no display.
const std::vector<std::string> kNoDisplay = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};

#ifndef _WIN32
// `text` as one word of a POSIX shell.
std::string Quoted(const std::string& text) {
  std::string q = "'";
  for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}
#endif

class BatchTest : public ::testing::Test {
 protected:
  // Runs `program` with `args` in the test folder, `input` on its standard input.
  ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                           const std::string& input = "",
                           const std::vector<std::string>& environment = {}) {
    ProgramRun run;
    run.program = program;
    run.args = args;
    run.input = input;
    run.environment = environment;
    return RunToEnd(run);
  }

  ProgramResult Run(const std::vector<std::string>& args, const std::string& input = "") {
    return RunProgram(MARROWLOCK_BINARY, args, input);
  }

  void MakeKey(const std::string& name, int n) {
    ProgramResult made =
        RunProgram(MARROWLOCK_KEYGEN_BINARY, {"-n", std::to_string(n), dir / name});
    ASSERT_EQ(made.status, 0) << made.err;
  }

  std::string SomeBytes(size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(count, '\0');
    for (char& b : bytes) b = static_cast<char>(random() & 0xff);
    return bytes;
  }

  TempDir dir;
};

// The runs without a display depend on it: a program reads the first setting of a
// name, so a change must replace the test's own setting, and a removal remove it.
TEST(ProgramRunTest, TheProgramSeesTheEnvironmentAsChanged) {
  SetEnvironment("MARROWLOCK_RUN_TEST", "outer");
  // The variable's value as a program sees it, or nullopt when it has none.
  auto printed = [](const std::vector<std::string>& environment) -> std::optional<std::string> {
    ProgramRun run;
#ifdef _WIN32
    run.program = "C:\\windows\\system32\\cmd.exe";
    run.args = {"/c", "if defined MARROWLOCK_RUN_TEST echo %MARROWLOCK_RUN_TEST%"};
#else
    run.program = "/usr/bin/printenv";
    run.args = {"MARROWLOCK_RUN_TEST"};
#endif
    run.environment = environment;
    const ProgramResult result = RunToEnd(run);
    if (result.out.empty()) return std::nullopt;
    return result.out.substr(0, result.out.find_first_of("\r\n"));
  };
  const std::optional<std::string> kept = printed({});
  const std::optional<std::string> set = printed({"MARROWLOCK_RUN_TEST=inner"});
  const std::optional<std::string> removed = printed({"MARROWLOCK_RUN_TEST"});
  const std::optional<std::string> other = printed({"MARROWLOCK_RUN_OTHER"});
  SetEnvironment("MARROWLOCK_RUN_TEST", "");
  EXPECT_EQ(kept, "outer");
  EXPECT_EQ(set, "inner");
  EXPECT_EQ(removed, std::nullopt);
  EXPECT_EQ(other, "outer") << "removing one variable keeps the others";
}

TEST_F(BatchTest, EncryptsAndDecryptsAFileWithEveryKeySize) {
  EnsureSystemFolder();
  WriteSettingsFile(dir.path(), "unused.mlk");
  const std::string plain = SomeBytes(9001, 1);
  for (int n : {1, 2, 4, 8, 16, 256}) {
    SCOPED_TRACE("N = " + std::to_string(n));
    std::string key = "k" + std::to_string(n) + ".mlk";
    MakeKey(key, n);
    WriteFile(dir / "data.txt", plain);

    ProgramResult enc = Run({"data.txt", "-i", "-k" + key});
    EXPECT_EQ(enc.status, 0) << enc.err;
    EXPECT_EQ(enc.err, "");
    std::string cipher = ReadFile(dir / "data.enc");
    EXPECT_EQ(cipher.size(), (plain.size() + n - 1) / n * n);
    EXPECT_NE(cipher.substr(0, 64), plain.substr(0, 64));

    std::filesystem::remove(dir / "data.txt");
    ProgramResult dec = Run({"data.enc", "-i", "-k" + key});
    EXPECT_EQ(dec.status, 0) << dec.err;
    std::string back = ReadFile(dir / "data.dec");
    ASSERT_EQ(back.size(), cipher.size());
    EXPECT_TRUE(back.starts_with(plain)) << "the plain bytes come back, padding after them";
  }
  EXPECT_TRUE(FileExists(LogFilePath())) << "every finished run appends to the log";
}

TEST_F(BatchTest, AnEmptyKeyValueAsksForTheKeyAndOutputNamesTheDecryption) {
  MakeKey("k.mlk", 8);
  EnsureSystemFolder();
  WriteSettingsFile(dir.path(), "unused.mlk");
  WriteFile(dir / "a.txt", "twelve bytes");

  // "-k k.mlk": the blank leaves -k without a value, so the key is asked for.
  ProgramResult asked = Run({"a.txt", "-i", "-k", "k.mlk"}, "k.mlk\n");
  EXPECT_EQ(asked.status, 0) << asked.err;
  ASSERT_TRUE(FileExists(dir / "a.enc"));

  ProgramResult cancelled = Run({"a.txt", "-i", "-k", "k.mlk"}, "");
  EXPECT_NE(cancelled.status, 0);

  ProgramResult named = Run({"a.enc", "-i", "-kk.mlk", "-oresult.dec"});
  EXPECT_EQ(named.status, 0) << named.err;
  EXPECT_TRUE(ReadFile(dir / "result.dec").starts_with("twelve bytes"));
  EXPECT_FALSE(FileExists(dir / "a.dec"));
}

TEST_F(BatchTest, TheDefaultKeyOfTheSettingsIsUsedWithoutK) {
  MakeKey("default.mlk", 16);
  EnsureSystemFolder();
  WriteSettingsFile(dir.path(), "default.mlk");
  WriteFile(dir / "notes.txt", "some notes");
  ProgramResult enc = Run({"notes.txt", "-i"});
  EXPECT_EQ(enc.status, 0) << enc.err;
  EXPECT_TRUE(FileExists(dir / "notes.enc"));
}

TEST_F(BatchTest, RefusalsEndWithAFailureAndTheirReasonOnStandardError) {
  MakeKey("k.mlk", 16);
  EnsureSystemFolder();
  WriteSettingsFile(dir.path(), "k.mlk");
  WriteFile(dir / "a.txt", "data");

  ProgramResult no_key = Run({"a.txt", "-i", "-knothere.mlk"});
  EXPECT_NE(no_key.status, 0);
  EXPECT_TRUE(no_key.err.starts_with("marlk: No such key file, ")) << no_key.err;
  EXPECT_FALSE(FileExists(dir / "a.enc"));

  ProgramResult no_input = Run({"missing.enc", "-i"});
  EXPECT_NE(no_input.status, 0);
  EXPECT_TRUE(no_input.err.starts_with("marlk: ")) << no_input.err;
  EXPECT_FALSE(FileExists(dir / "missing.enc")) << "looking must not leave an empty file";

  WriteFile(dir / "cut.enc", std::string(18, 'x'));
  ProgramResult damaged = Run({"cut.enc", "-i"});
  EXPECT_NE(damaged.status, 0);
  EXPECT_NE(damaged.err.find("marlk: File was damaged, exiting"), std::string::npos) << damaged.err;
  EXPECT_EQ(damaged.out, "");
}

TEST_F(BatchTest, OneStrayByteAfterTheLastBlockIsIgnoredAndTheRunSucceeds) {
  MakeKey("k.mlk", 16);
  EnsureSystemFolder();
  WriteSettingsFile(dir.path(), "k.mlk");
  for (size_t length : {17u, 33u, 49u}) {
    SCOPED_TRACE(length);
    WriteFile(dir / "cut.enc", std::string(length, 'x'));
    ProgramResult one = Run({"cut.enc", "-i"});
    EXPECT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(one.err, "");
    EXPECT_EQ(ReadFile(dir / "cut.dec").size(), length - 1);
  }
  WriteFile(dir / "cut.enc", std::string(34, 'x'));
  ProgramResult two = Run({"cut.enc", "-i"});
  EXPECT_EQ(two.status, 1);
  EXPECT_EQ(two.err, "marlk: File was damaged, exiting\n");
}

TEST_F(BatchTest, WithoutSettingsTheDefaultKeyIsAskedForOnStandardInput) {
  MakeKey("chosen.mlk", 16);
  WriteFile(dir / "a.txt", "data");

  ProgramResult cancelled = Run({"a.txt", "-i"}, "");
  EXPECT_EQ(cancelled.status, 1);
  EXPECT_NE(cancelled.err.find("No default key is set"), std::string::npos) << cancelled.err;
  EXPECT_NE(cancelled.err.find("without -i"), std::string::npos) << cancelled.err;
  EXPECT_FALSE(FileExists(SettingsFilePath()));
  EXPECT_FALSE(FileExists(dir / "a.enc"));

  ProgramResult wrong_then_eof = Run({"a.txt", "-i"}, "nothere.mlk\na.txt\n");
  EXPECT_EQ(wrong_then_eof.status, 1);
  EXPECT_NE(wrong_then_eof.err.find("marlk: No such key file, nothere.mlk."), std::string::npos);
  EXPECT_NE(wrong_then_eof.err.find("marlk: Not a key file (*.mlk), a.txt."), std::string::npos);

  ProgramResult chosen = Run({"a.txt", "-i"}, "chosen.mlk\n");
  EXPECT_EQ(chosen.status, 0) << chosen.err;
  auto settings = ReadSettingsFile();
  ASSERT_TRUE(settings);
  EXPECT_EQ(settings->KeyDirectory, dir.path());
  EXPECT_EQ(settings->DefaultKeyName, "chosen.mlk");
  EXPECT_TRUE(FileExists(dir / "a.enc"));
}

TEST_F(BatchTest, WithoutSettingsARunGivenItsKeyAsksNothingAndWritesNoSettings) {
  MakeKey("k.mlk", 16);
  for (const char* name : {"f1.txt", "f2.txt", "f3.txt"}) WriteFile(dir / name, name);

#ifdef _WIN32  // no POSIX shell: each run with a list on its input that it must leave alone
  for (const char* name : {"f1.txt", "f2.txt", "f3.txt"}) {
    ProgramResult run = Run({name, "-i", "-kk.mlk"}, "f1.txt\nf2.txt\nf3.txt\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
  }
#else
  // The list on standard input belongs to the loop, not to the program.
  const std::string loop = "printf 'f1.txt\\nf2.txt\\nf3.txt\\n' | while read f; do " +
                           Quoted(MARROWLOCK_BINARY) + " \"$f\" -i -kk.mlk || echo \"$f\"; done";
  ProgramResult looped = RunProgram("/bin/sh", {"-c", loop});
  EXPECT_EQ(looped.out, "") << "every run succeeded";
  EXPECT_EQ(looped.err, "");
#endif
  for (const char* name : {"f1.enc", "f2.enc", "f3.enc"}) EXPECT_TRUE(FileExists(dir / name));
  EXPECT_FALSE(FileExists(SettingsFilePath()));

  ProgramResult dec = Run({"f2.enc", "-i", "-kk.mlk"}, "unread\n");
  EXPECT_EQ(dec.status, 0) << dec.err;
  EXPECT_EQ(dec.err, "");
  EXPECT_TRUE(ReadFile(dir / "f2.dec").starts_with("f2.txt"));
  EXPECT_FALSE(FileExists(SettingsFilePath()));
}

TEST_F(BatchTest, EveryRunThatFailsSaysWhyOnStandardError) {
  MakeKey("k.mlk", 16);
  EnsureSystemFolder();
  WriteSettingsFile(dir.path(), "k.mlk");
  WriteFile(dir / "a.txt", "some text to encrypt");
  ASSERT_EQ(Run({"a.txt", "-i"}).status, 0);
  WriteFile(dir / "short.enc", std::string(20, 'x'));
  WriteFile(dir / "bad.mlk", "odd");
  std::filesystem::create_directory(dir / "folder.enc");
  WriteFile(dir / "folder.enc/inside", "x");

  struct Case {
    std::vector<std::string> args;
    std::string input;
    std::string said;  // the reason that standard error must give, or its start
  };
  const Case cases[] = {
      {{"a.enc", "-i", "-o"}, "", "marlk: No name was given; nothing was saved.\n"},
      {{"a.enc", "-i", "-o"}, "\n", "marlk: No name was given; nothing was saved.\n"},
      {{"a.enc", "-i", "-o1st.dec"}, "", "marlk: Filename must begin with a letter.\n"},
      {{"a.enc", "-i", "-k", "k.mlk"}, "", "marlk: You need to open a key before decrypting.\n"},
      {{"a.txt", "-i", "-k", "k.mlk"}, "", "marlk: You need to open a key before encrypting.\n"},
      {{"a.txt", "-i", "-kbad.mlk"}, "", "marlk: Corrupt key file, cannot load file bad.mlk.\n"},
      {{"missing.enc", "-i"}, "", "marlk: No such file found.\n"},
      {{"short.enc", "-i"}, "", "marlk: File was damaged, exiting\n"},
      {{"folder.txt", "-i"}, "", "marlk: Cannot write folder.enc: Is a directory."},
  };
  WriteFile(dir / "folder.txt", "encrypts to the name of a folder");
  for (const Case& c : cases) {
    std::string line;
    for (const std::string& arg : c.args) line += arg + " ";
    SCOPED_TRACE(line);
    ProgramResult result = Run(c.args, c.input);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find(c.said), std::string::npos) << result.err;
  }
}

TEST_F(BatchTest, TheErrorTrapReportsOnStandardErrorAndKeepsTheOldKey) {
  EnsureSystemFolder();
  WriteSettingsFile(dir.path(), "k.mlk");
  WriteFile(dir / "default.mlk", std::string(16, 'o'));
  WriteFile(dir / "default.ppl", std::string(32, 'n'));
  WriteFile(dir / "a.txt", "data");
  ProgramResult trapped = Run({"a.txt", "-i"});
  EXPECT_EQ(trapped.status, 2);
  EXPECT_EQ(trapped.err,
            "marlk: 75   Cannot rename default.ppl to default.mlk: File exists.\n"
            "marlk: Source=Marrowlock file access\n");
  EXPECT_EQ(ReadFile(dir / "default.mlk"), std::string(16, 'o'));
}

TEST_F(BatchTest, HelpAndVersionGoToStandardOutput) {
  ProgramResult help = Run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.err, "");
  for (const char* part : {"-i", "-kKEY", "-oOUTPUT", "MARROWLOCK_HOME", "marrowlock-keygen"}) {
    EXPECT_NE(help.out.find(part), std::string::npos) << part;
  }
  // "-h" alone is --help, even without a display; it is no file name to encrypt.
  ProgramResult short_help = RunProgram(MARROWLOCK_BINARY, {"-h"}, "", kNoDisplay);
  EXPECT_EQ(short_help.status, 0);
  EXPECT_EQ(short_help.out, help.out);
  EXPECT_EQ(short_help.err, "");
  ProgramResult version = Run({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "marrowlock 1.1.0\n");
}

TEST_F(BatchTest, AWindowRunWithoutADisplaySaysSoAndFails) {
#ifdef MARROWLOCK_WIN32_WINDOW
  GTEST_SKIP() << "Windows always has a display; the Windows window's tests run on one";
#endif
  EnsureSystemFolder();
  WriteSettingsFile(dir.path(), "k.mlk");
  WriteFile(dir / "a.dec", "text");
  ProgramResult result = RunProgram(MARROWLOCK_BINARY, {"a.dec", "-i"}, "", kNoDisplay);
  EXPECT_NE(result.status, 0);
  // A build without the window (the Windows build among them) says that instead.
  EXPECT_TRUE(result.err.find("No display available.") != std::string::npos ||
              result.err.starts_with("This build has no window"))
      << result.err;
}

}  // namespace
}  // namespace marrowlock
