// SPDX-License-Identifier: MIT
#include "app/command_line.h"

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "state/program_exit.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace marrowlock {
namespace {

struct ParseCase {
  const char* text;
  const char* input;
  bool batch;
  bool key_given;
  const char* key;
  bool output_given;
  const char* output;
};

// Each row: a command-line text as the user typed it, and what it asks for.
const ParseCase kParseCases[] = {
    {"", "", false, false, "", false, ""},
    {"     ", "", false, false, "", false, ""},
    {"archive", "archive", false, false, "", false, ""},
    {"  report.txt  ", "report.txt", false, false, "", false, ""},
    {"report.txt -i -kmy.mlk", "report.txt", true, true, "my.mlk", false, ""},
    {"my file.txt -kk.mlk", "my file.txt", false, true, "k.mlk", false, ""},
    {"a b c.txt", "a b c.txt", false, false, "", false, ""},
    {"a.txt  -i", "a.txt", true, false, "", false, ""},
    // Quotes around the whole text go; any others are part of the name.
    {"\"/my files/a.enc\"", "/my files/a.enc", false, false, "", false, ""},
    {"\"my file.txt\" -kk.mlk", "\"my file.txt\"", false, true, "k.mlk", false, ""},
    {"\"", "\"", false, false, "", false, ""},
    // A blank after the option letter leaves the value empty; the key is then asked for.
    {"a.txt -k my.mlk", "a.txt", false, true, "", false, ""},
    // A one-character value is a value.
    {"a.txt -kx", "a.txt", false, true, "x", false, ""},
    {"a.enc -ox", "a.enc", false, false, "", true, "x"},
    // Option letters inside a value are part of the value, not options.
    {"a.txt -kmy-ideas.mlk", "a.txt", false, true, "my-ideas.mlk", false, ""},
    {"a.enc -kmy-old.mlk", "a.enc", false, true, "my-old.mlk", false, ""},
    {"a.enc -i -kk.mlk -oout.dec", "a.enc", true, true, "k.mlk", true, "out.dec"},
    {"a.enc -oout.dec -kk.mlk -i", "a.enc", true, true, "k.mlk", true, "out.dec"},
    {"a.enc -k1.mlk -k2.mlk", "a.enc", false, true, "1.mlk", false, ""},
    // Options are case-sensitive; "-I" is not batch mode but part of the name.
    {"a.txt -I", "a.txt -I", false, false, "", false, ""},
    // A name part after a blank that begins with an option letter ends the name.
    {"x -input.txt", "x", true, false, "", false, ""},
    // A tab is not a blank.
    {"a.txt\t-i", "a.txt\t-i", false, false, "", false, ""},
};

TEST(ParseCommandLineTest, KnownAnswers) {
  for (const ParseCase& c : kParseCases) {
    SCOPED_TRACE(std::string("text: [") + c.text + "]");
    CommandLine line = ParseCommandLine(c.text);
    EXPECT_EQ(line.input, c.input);
    EXPECT_EQ(line.batch, c.batch);
    EXPECT_EQ(line.key_given, c.key_given);
    EXPECT_EQ(line.key, c.key);
    EXPECT_EQ(line.output_given, c.output_given);
    EXPECT_EQ(line.output, c.output);
  }
}

TEST(ParseCommandLineTest, BatchModeOnlyForFilesThatAreNotShown) {
  EXPECT_TRUE(IsBatchCommandLine("report.txt -i -kmy.mlk"));
  EXPECT_TRUE(IsBatchCommandLine("b.ENC -i"));
  EXPECT_FALSE(IsBatchCommandLine("A.DEC -i"));
  EXPECT_FALSE(IsBatchCommandLine("a.dec -i -kk.mlk"));
  EXPECT_FALSE(IsBatchCommandLine("report.txt -kmy-ideas.mlk"));
  EXPECT_FALSE(IsBatchCommandLine(""));
  EXPECT_FALSE(IsBatchCommandLine("--help"));
}

TEST(JoinArgumentsTest, JoinsWithSingleBlanksAfterTheProgramName) {
  char prog[] = "marrowlock", a[] = "my file.txt", b[] = "-i";
  char* argv[] = {prog, a, b};
  EXPECT_EQ(JoinArguments(3, argv), "my file.txt -i");
  EXPECT_EQ(JoinArguments(1, argv), "");
}

// RunCommandLine with the real commands behind it, on files in a fresh folder.
class RunCommandLineTest : public ::testing::Test {
 protected:
  RunCommandLineTest() : s(platform) {
    s.KeyDirectory = dir.path();
    s.DefaultKeyName = "default.mlk";
  }

  // Runs the text; returns the exit status when the run ended the program.
  std::optional<int> Run(const std::string& text) {
    s.CommandLineText = text;
    try {
      RunCommandLine(s);
    } catch (const ProgramExit& exit) {
      return exit.status;
    }
    return std::nullopt;
  }

  TempDir dir;
  ScriptedPlatform platform;
  ProgramState s;
};

// "--open NAME", as the desktop entry starts the program: the name is taken whole,
// with its quotes, blanks and option letters, and the window runs the command.
TEST_F(RunCommandLineTest, AnOpenNameIsTakenWholeAndUsesTheWindow) {
#ifdef _WIN32  // whose names hold no quotes
  const std::string name = "my -ideas -kx.mlk -oout";
#else
  const std::string name = "\"my -ideas -kx.mlk -oout\"";
#endif
  WriteFile(dir / name, "data");
  char prog[] = "marrowlock", open[] = "--open";
  std::string arg = name;
  char* argv[] = {prog, open, arg.data()};
  SetCommandLine(s, 3, argv);
  ASSERT_TRUE(s.CommandLineIsName);
  ASSERT_EQ(s.CommandLineText, name);
  EXPECT_FALSE(Run(name));
  EXPECT_TRUE(s.Form1.Visible);
  EXPECT_FALSE(s.BatchMode);
  EXPECT_TRUE(s.UseDefaultKey);
  EXPECT_FALSE(s.OutputNameGiven);
  EXPECT_TRUE(s.BinaryMode);
  EXPECT_EQ(s.CommandLineInput, name);
  EXPECT_EQ(s.PendingKeyFile, "default.mlk");

  // Without a name the window opens on nothing; without --open the text is parsed.
  char* alone[] = {prog, open};
  SetCommandLine(s, 2, alone);
  EXPECT_TRUE(s.CommandLineIsName);
  EXPECT_EQ(s.CommandLineText, "");
  char* plain[] = {prog, arg.data(), open};
  SetCommandLine(s, 3, plain);
  EXPECT_FALSE(s.CommandLineIsName);
  EXPECT_EQ(s.CommandLineText, name + " --open");
}

TEST_F(RunCommandLineTest, NoTextRunsNothingAndLeavesTheStartState) {
  for (const char* text : {"", "    "}) {
    EXPECT_FALSE(Run(text));
    EXPECT_FALSE(s.BinaryMode);
    EXPECT_FALSE(s.Form1.Visible);
    EXPECT_FALSE(s.StartedWithFile);
    EXPECT_TRUE(platform.messages.empty());
  }
}

TEST_F(RunCommandLineTest, ADecFileIsShownInTextModeEvenWithBatchOptions) {
  WriteFile(dir / "A.DEC", "plain words");
  EXPECT_FALSE(Run(dir / "A.DEC -i -kother.mlk -oout"));
  EXPECT_FALSE(s.BinaryMode);
  EXPECT_FALSE(s.BatchMode);
  EXPECT_TRUE(s.UseDefaultKey);
  EXPECT_FALSE(s.OutputNameGiven);
  EXPECT_FALSE(s.StartedWithFile);
  EXPECT_TRUE(s.Form1.Visible);
  EXPECT_FALSE(s.KeyLoaded);
  EXPECT_EQ(s.CommandLineInput, "A.DEC") << "the working directory is stripped";
  EXPECT_EQ(s.Form1.Text1.Text, "plain words");
  EXPECT_TRUE(platform.file_requests.empty());
}

TEST_F(RunCommandLineTest, WithoutBatchTheWindowOpensInBinaryModeAndStaysOpen) {
  WriteFile(dir / "archive", "data");
  EXPECT_FALSE(Run("archive -kmissing.mlk"));
  EXPECT_TRUE(s.Form1.Visible);
  EXPECT_TRUE(s.BinaryMode);
  ASSERT_FALSE(platform.messages.empty());
  EXPECT_NE(platform.messages.front().find("missing.mlk"), std::string::npos);
  EXPECT_EQ(platform.messages.back(), "You need to open a key before encrypting.");
}

TEST_F(RunCommandLineTest, TheDefaultKeyIsOpenedWhenNoKeyIsGiven) {
  WriteFile(dir / "a.txt", "data");
  EXPECT_FALSE(Run("a.txt"));
  ASSERT_FALSE(platform.messages.empty());
  EXPECT_NE(platform.messages.front().find("default.mlk"), std::string::npos);
}

TEST_F(RunCommandLineTest, BatchEndsTheProgramWhenTheKeyCannotBeOpened) {
  WriteFile(dir / "a.txt", "data");
  std::optional<int> status = Run("a.txt -i -knothere.mlk");
  ASSERT_TRUE(status);
  EXPECT_NE(*status, kExitOk);
  EXPECT_FALSE(s.Form1.Visible) << "a batch run never shows the window";
  EXPECT_TRUE(s.BatchMode);
  EXPECT_TRUE(s.StartedWithFile);
  EXPECT_EQ(s.CommandLineInput, "a.txt");
}

TEST_F(RunCommandLineTest, OnlyTheWorkingDirectoryIsStrippedFromTheInput) {
  MakeFolder(dir / "sub", 0755);
  Run(dir / "sub/x.enc -i -knothere.mlk");
  EXPECT_EQ(s.CommandLineInput, dir / "sub/x.enc");

  SetWorkingDirectory("/");
  Run("/x.enc -i -knothere.mlk");
  EXPECT_EQ(s.CommandLineInput, "/x.enc") << "at the root the folder part \"\" differs from \"/\"";
  SetWorkingDirectory(dir.path());
}

TEST_F(RunCommandLineTest, AQuotedNameWithABlankIsStrippedToItsBareName) {
  MakeFolder(dir / "my files", 0755);
  SetWorkingDirectory(dir / "my files");
  Run("\"" + dir / "my files/a.enc" + "\" -i");
  // Quotes that do not enclose the whole text stay, and the name keeps its folder.
  EXPECT_EQ(s.CommandLineInput, "\"" + dir / "my files/a.enc" + "\"");
  Run("\"" + dir / "my files/a.enc" + "\"");
  EXPECT_EQ(s.CommandLineInput, "a.enc");
  SetWorkingDirectory(dir.path());
}

}  // namespace
}  // namespace marrowlock
