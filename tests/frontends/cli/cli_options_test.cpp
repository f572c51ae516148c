// SPDX-License-Identifier: MIT
// The command line of marrowlock-cli, as a script writes it.

#include <filesystem>

#include "frontends/cli/cli_fixture.h"

namespace marrowlock {
namespace {

TEST_F(CliTest, EveryOptionFormGivesTheSameResult) {
  MakeKey("k.mlk", 8);
  WriteFile(dir / "plain.txt", SomeBytes(5000, 1));
  ASSERT_EQ(Cli({"encrypt", "-k", "k.mlk", "-o", "reference.enc", "plain.txt"}).status, 0);
  const std::string reference = ReadFile(dir / "reference.enc");

  const std::vector<std::vector<std::string>> forms = {
      {"encrypt", "-kk.mlk", "-oout.enc", "plain.txt"},
      {"encrypt", "--key", "k.mlk", "--output", "out.enc", "plain.txt"},
      {"encrypt", "--key=k.mlk", "--output=out.enc", "plain.txt"},
      {"-k", "k.mlk", "encrypt", "plain.txt", "-o", "out.enc"},
      {"encrypt", "plain.txt", "-qf", "-j1", "-k", "k.mlk", "-o", "out.enc"},
      {"encrypt", "--quiet", "--force", "--jobs=1", "--key=k.mlk", "-oout.enc", "--", "plain.txt"},
      {"encrypt", "-j", "3", "--ke=k.mlk", "--out", "out.enc", "plain.txt"},
  };
  for (const auto& form : forms) {
    std::string shown;
    for (const std::string& arg : form) shown += " " + arg;
    SCOPED_TRACE(shown);
    ProgramResult run = Cli(form);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(ReadFile(dir / "out.enc"), reference);
    std::filesystem::remove(dir / "out.enc");
  }

  // Options after the files, even where POSIXLY_CORRECT would stop at the first word.
  ProgramResult strict =
      Cli({"encrypt", "plain.txt", "-k", "k.mlk", "-o", "out.enc"}, "", {"POSIXLY_CORRECT=1"});
  EXPECT_EQ(strict.status, 0) << strict.err;
  EXPECT_EQ(ReadFile(dir / "out.enc"), reference);
}

TEST_F(CliTest, NamesThatLookLikeOptionsAreFilesAfterDoubleDash) {
  MakeKey("k.mlk", 16);
  WriteFile(dir / "Trip -italy.txt", "photos of the trip");
  WriteFile(dir / "-i.txt", "not batch mode");
  ProgramResult enc = Cli({"encrypt", "-k", "k.mlk", "--", "Trip -italy.txt", "-i.txt"});
  ASSERT_EQ(enc.status, 0) << enc.err;
  ASSERT_TRUE(FileExists(dir / "Trip -italy.enc"));
  ASSERT_TRUE(FileExists(dir / "-i.enc"));

  ProgramResult dec = Cli({"decrypt", "-k", "k.mlk", "--", "Trip -italy.enc", "-i.enc"});
  ASSERT_EQ(dec.status, 0) << dec.err;
  EXPECT_TRUE(ReadFile(dir / "Trip -italy.dec").starts_with("photos of the trip"));
  EXPECT_TRUE(ReadFile(dir / "-i.dec").starts_with("not batch mode"));
}

TEST_F(CliTest, UsageErrorsExitWithTwoAndAShortUsage) {
  MakeKey("k.mlk", 16);
  WriteFile(dir / "a.txt", "a");
  WriteFile(dir / "b.txt", "b");
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{}, "no command given (encrypt, decrypt or key)"},
      {{"frobnicate", "a.txt"}, "unknown command 'frobnicate' (encrypt, decrypt or key)"},
      {{"encrypt", "-x", "a.txt"}, "unknown option -x"},
      {{"encrypt", "--frob", "a.txt"}, "unknown option --frob"},
      {{"encrypt", "a.txt", "-k"}, "option -k needs a value"},
      {{"encrypt", "a.txt", "--key"}, "option --key needs a value"},
      {{"encrypt", "--force=yes", "a.txt"}, "option --force takes no value"},
      {{"encrypt", "-j", "0", "a.txt"},
       "-j needs a whole number of files at a time, 1 or more, not '0'"},
      {{"encrypt", "-jtwo", "a.txt"},
       "-j needs a whole number of files at a time, 1 or more, not 'two'"},
      {{"encrypt", "-k", "k.mlk", "-o", "x.enc", "a.txt", "b.txt"},
       "-o names the output of one FILE, not of several"},
      {{"encrypt", "-k", "k.mlk", "-", "-"}, "standard input ('-') can be read only once"},
      {{"encrypt", "-k", "k.mlk", "-k", "k.mlk", "a.txt"}, "-k given twice"},
      {{"key", "-o", "x", "k.mlk"}, "key takes no -o, -f or -j"},
      {{"key", "k.mlk", "k.mlk"}, "key checks one key file"},
  };
  for (const auto& [args, message] : cases) {
    SCOPED_TRACE(message);
    ProgramResult run = Cli(args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(run.err.starts_with("marrowlock-cli: " + message + "\nUsage: marrowlock-cli"))
        << run.err;
  }
  EXPECT_FALSE(FileExists(dir / "a.enc"));
  EXPECT_FALSE(FileExists(dir / "x.enc"));
}

TEST_F(CliTest, HelpAndVersionGoToStandardOutput) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--help"}, std::vector<std::string>{"-h"},
        std::vector<std::string>{"encrypt", "--help", "x"}}) {
    ProgramResult help = Cli(args);
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    for (const char* part :
         {"Usage: marrowlock-cli encrypt", "--key=KEY", "--jobs=N", "Exit status"}) {
      EXPECT_NE(help.out.find(part), std::string::npos) << part;
    }
  }
  ProgramResult version = Cli({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "marrowlock-cli 1.1.0\n");
}

}  // namespace
}  // namespace marrowlock
