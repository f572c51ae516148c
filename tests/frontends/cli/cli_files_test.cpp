// SPDX-License-Identifier: MIT
// marrowlock-cli on many files: names, refusals, failures that stop one file only,
// work on several files at once, and outputs written safely.

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "frontends/cli/cli_fixture.h"

namespace marrowlock {
namespace {

std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> SortedLines(const std::string& text) {
  std::vector<std::string> lines = Lines(text);
  std::sort(lines.begin(), lines.end());
  return lines;
}

TEST_F(CliTest, EachFileIsWrittenBesideItByTheProgramsNamingRules) {
  MakeKey("k.mlk", 16);
  MakeFolder(dir / "sub.d", 0700);
  WriteFile(dir / "report.txt", "report");
  WriteFile(dir / "archive.tar.gz", "archive");
  WriteFile(dir / "sub.d/readme", "readme");
  ProgramResult enc =
      Cli({"encrypt", "-k", "k.mlk", "report.txt", "archive.tar.gz", "sub.d/readme"});
  ASSERT_EQ(enc.status, 0) << enc.err;
  EXPECT_EQ(enc.err, "");
  for (const char* name : {"report.enc", "archive.tar.enc", "sub.d/readme.enc"}) {
    EXPECT_TRUE(FileExists(dir / name)) << name;
  }
  // A decrypted name ends at the first dot of the file name, as batch mode's does.
  ProgramResult dec = Cli({"decrypt", "-k", "k.mlk", "archive.tar.enc", "sub.d/readme.enc"});
  ASSERT_EQ(dec.status, 0) << dec.err;
  EXPECT_TRUE(ReadFile(dir / "archive.dec").starts_with("archive"));
  EXPECT_TRUE(ReadFile(dir / "sub.d/readme.dec").starts_with("readme"));
}

TEST_F(CliTest, AnExistingOutputIsReplacedOnlyWithForce) {
  MakeKey("k.mlk", 16);
  WriteFile(dir / "a.txt", "new data");
  WriteFile(dir / "a.enc", "older file");
  ProgramResult kept = Cli({"encrypt", "-k", "k.mlk", "a.txt"});
  EXPECT_EQ(kept.status, 1);
  EXPECT_EQ(kept.err, "marrowlock-cli: a.txt: a.enc exists already; use -f to replace it\n");
  EXPECT_EQ(ReadFile(dir / "a.enc"), "older file");

  ProgramResult forced = Cli({"encrypt", "-f", "-k", "k.mlk", "a.txt"});
  EXPECT_EQ(forced.status, 0) << forced.err;
  EXPECT_EQ(ReadFile(dir / "a.enc"), Cli({"encrypt", "-k", "k.mlk"}, "new data").out);
  EXPECT_EQ(FolderNames(dir.path()), (std::vector<std::string>{"a.enc", "a.txt", "k.mlk"}));
}

TEST_F(CliTest, OutputsThatCollideAreRefusedBeforeAnythingIsWritten) {
  MakeKey("k.mlk", 16);
  WriteFile(dir / "a.txt", "text");
  WriteFile(dir / "a.md", "markdown");
  WriteFile(dir / "c.txt", "other");
  WriteFile(dir / "x.enc", "already encrypted");

  ProgramResult shared = Cli({"encrypt", "-k", "k.mlk", "c.txt", "a.txt", "./a.md"});
  EXPECT_EQ(shared.status, 1);
  EXPECT_EQ(shared.err, "marrowlock-cli: a.txt and ./a.md would both be written to ./a.enc\n");

  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"encrypt", "-f", "-k", "k.mlk", "x.enc"},
        std::vector<std::string>{"encrypt", "-f", "-k", "k.mlk", "-o", "c.txt", "c.txt"},
        std::vector<std::string>{"decrypt", "-f", "-k", "k.mlk", "-o", "./x.enc", "x.enc"}}) {
    ProgramResult onto_itself = Cli(args);
    EXPECT_EQ(onto_itself.status, 1);
    EXPECT_NE(onto_itself.err.find(" would replace it\n"), std::string::npos) << onto_itself.err;
  }
  ProgramResult onto_other = Cli({"decrypt", "-f", "-k", "k.mlk", "x.enc", "x.dec.enc"});
  EXPECT_EQ(onto_other.status, 1);

  EXPECT_EQ(FolderNames(dir.path()),
            (std::vector<std::string>{"a.md", "a.txt", "c.txt", "k.mlk", "x.enc"}));
  EXPECT_EQ(ReadFile(dir / "x.enc"), "already encrypted");

  // One folder reached through a link is still one folder; a name alike in two
  // folders is not.
  MakeFolder(dir / "d", 0700);
  MakeFolder(dir / "e", 0700);
  for (const char* name : {"d/x.txt", "d/x.bin", "e/x.txt"}) WriteFile(dir / name, name);
#ifndef _WIN32  // Windows lets only administrators make links
  std::filesystem::create_directory_symlink("d", dir / "dl");
  ProgramResult linked = Cli({"encrypt", "-f", "-k", "k.mlk", "d/x.txt", "dl/x.bin"});
  EXPECT_EQ(linked.status, 1);
  EXPECT_EQ(linked.err, "marrowlock-cli: d/x.txt and dl/x.bin would both be written to dl/x.enc\n");
  EXPECT_FALSE(FileExists(dir / "d/x.enc"));
#endif
  ProgramResult apart = Cli({"encrypt", "-k", "k.mlk", "d/x.txt", "e/x.txt"});
  EXPECT_EQ(apart.status, 0) << apart.err;
}

// The key a call reads is never written over, whatever -f says and whichever name
// or link leads to it: not as an output, and not as standard output.
TEST_F(CliTest, TheKeyAndTheInputsAreNeverTheOutput) {
  MakeKey("k.mlk", 16);
  SetDefaultKey("k.mlk");
  WriteFile(dir / "p.txt", SomeBytes(3000, 4));
  WriteFile(dir / "p.bin", SomeBytes(5000, 5));
  ASSERT_EQ(Cli({"encrypt", "-k", "k.mlk", "p.txt"}).status, 0);
  std::filesystem::create_hard_link(dir / "k.mlk", dir / "key.hard");
  const std::string key = ReadFile(dir / "k.mlk");
  const std::string encrypted = ReadFile(dir / "p.enc");
  const std::string source = ReadFile(dir / "p.bin");

  const std::string in_use = ": it is the key file in use\n";
  std::vector<std::pair<std::vector<std::string>, std::string>> named = {
      {{"decrypt", "-f", "-k", "k.mlk", "-o", "k.mlk", "p.enc"}, "p.enc: cannot write k.mlk"},
      {{"encrypt", "-f", "-k", "k.mlk", "-o", "k.mlk", "p.txt"}, "p.txt: cannot write k.mlk"},
      {{"decrypt", "-f", "-o", "./k.mlk", "p.enc"}, "p.enc: cannot write ./k.mlk"},
      {{"encrypt", "-f", "-k", "k.mlk", "-o", "key.hard", "p.txt"},
       "p.txt: cannot write key.hard"}};
#ifndef _WIN32  // Windows lets only administrators make links
  std::filesystem::create_symlink("k.mlk", dir / "key.link");
  named.push_back({{"encrypt", "-f", "-k", "key.link", "-o", "key.hard", "p.txt"},
                   "p.txt: cannot write key.hard"});
  named.push_back({{"decrypt", "-f", "-k", "k.mlk", "-o", "key.link", "p.enc"},
                   "p.enc: cannot write key.link"});
#endif
  for (const auto& [args, message] : named) {
    ProgramResult refused = Cli(args);
    EXPECT_EQ(refused.status, 1) << args[4];
    EXPECT_EQ(refused.err, "marrowlock-cli: " + message + in_use);
  }

#ifndef _WIN32  // a POSIX shell's ">>"
  // Standard output appended to a file that the call reads, as a shell's ">>" does.
  const std::string cli = "\"$0\" ";
  const std::vector<std::pair<std::string, std::string>> appended = {
      {"decrypt -k k.mlk -o - p.enc >>k.mlk", "p.enc: cannot write standard output" + in_use},
      {"encrypt -k k.mlk <p.bin >>k.mlk", "standard input: cannot write standard output" + in_use},
      {"encrypt -f -o /dev/stdout p.bin >>k.mlk", "p.bin: cannot write /dev/stdout" + in_use},
      {"decrypt -k k.mlk -o - p.enc >>p.enc", "p.enc: input file is output file\n"},
      {"encrypt -f -k k.mlk -o - p.bin >>p.bin", "p.bin: input file is output file\n"},
      {"encrypt -k k.mlk - <p.bin >>p.bin", "standard input: input file is output file\n"},
      {"encrypt -f -k k.mlk p.txt - <p.bin >>p.enc",
       "p.txt: its output p.enc is standard output\n"}};
  for (const auto& [command, message] : appended) {
    ProgramRun run;
    run.program = "/bin/sh";
    run.args = {"-c", cli + command, MARROWLOCK_CLI_BINARY};
    run.folder = folder;
    ProgramResult refused = RunToEnd(run);
    EXPECT_EQ(refused.status, 1) << command;
    EXPECT_EQ(refused.err, "marrowlock-cli: " + message) << command;
  }
  EXPECT_TRUE(ReadFile(dir / "k.mlk") == key);
  EXPECT_TRUE(ReadFile(dir / "p.enc") == encrypted);
  EXPECT_TRUE(ReadFile(dir / "p.bin") == source);

  // Appending to any other file is what ">>" is for.
  ProgramRun other;
  other.program = "/bin/sh";
  other.args = {"-c", cli + "decrypt -o - p.enc >>plain; " + cli + "decrypt -o - p.enc >>plain",
                MARROWLOCK_CLI_BINARY};
  other.folder = folder;
  EXPECT_EQ(RunToEnd(other).status, 0);
  EXPECT_EQ(ReadFile(dir / "plain").size(), 2 * encrypted.size());
#endif
}

TEST_F(CliTest, AFailingFileIsReportedAndTheOthersGoOn) {
  MakeKey("k.mlk", 16);
  for (const char* name : {"f1.txt", "f2.txt", "f4.txt", "f5.txt"}) WriteFile(dir / name, name);
  WriteFile(dir / "f4.enc", "kept");
  ProgramResult run =
      Cli({"encrypt", "-j", "2", "-k", "k.mlk", "f1.txt", "f2.txt", "f3.txt", "f4.txt", "f5.txt"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(SortedLines(run.err),
            (std::vector<std::string>{
                "marrowlock-cli: f3.txt: cannot open f3.txt: No such file or directory",
                "marrowlock-cli: f4.txt: f4.enc exists already; use -f to replace it"}));
  EXPECT_EQ(ReadFile(dir / "f4.enc"), "kept");
  for (const char* name : {"f1", "f2", "f5"}) {
    ASSERT_TRUE(FileExists(dir / (std::string(name) + ".enc"))) << name;
    EXPECT_TRUE(Cli({"decrypt", "-k", "k.mlk", "-o", "-", std::string(name) + ".enc"})
                    .out.starts_with(std::string(name) + ".txt"));
  }
}

TEST_F(CliTest, SeveralFilesAtOnceGiveTheBytesOfOneAtATime) {
  MakeKey("k.mlk", 256);
  MakeFolder(dir / "one", 0700);
  MakeFolder(dir / "many", 0700);
  std::vector<std::string> names;
  for (int i = 0; i < 16; ++i) {
    // Small files, and a few that span several buffers and are shared among threads.
    const size_t size = i % 5 == 0 ? (size_t{5} << 19) + 77 * static_cast<size_t>(i)
                                   : 4001 * static_cast<size_t>(i) + 3;
    const std::string name = "file" + std::to_string(i) + ".bin";
    const std::string bytes = SomeBytes(size, static_cast<unsigned>(i));
    WriteFile(dir / ("one/" + name), bytes);
    WriteFile(dir / ("many/" + name), bytes);
    names.push_back(name);
  }
  auto run_in = [&](const std::string& where, const std::string& command, const std::string& jobs,
                    const std::string& extension) {
    folder = dir / where;
    std::vector<std::string> args = {command, "-k", "../k.mlk", "-j", jobs};
    for (const std::string& name : names)
      args.push_back(name.substr(0, name.find('.')) + extension);
    ProgramResult run = Cli(args);
    EXPECT_EQ(run.status, 0) << run.err;
  };
  run_in("one", "encrypt", "1", ".bin");
  run_in("many", "encrypt", "4", ".bin");
  for (const char* where : {"one", "many"}) {
    for (const std::string& name : names) ::unlink((dir / where + "/" + name).c_str());
  }
  run_in("one", "decrypt", "1", ".enc");
  run_in("many", "decrypt", "4", ".enc");
  const std::vector<std::string> listed = FolderNames(dir / "one");
  EXPECT_EQ(listed.size(), 2 * names.size());
  EXPECT_EQ(listed, FolderNames(dir / "many"));
  for (const std::string& name : listed) {
    EXPECT_TRUE(ReadFile(dir / ("one/" + name)) == ReadFile(dir / ("many/" + name))) << name;
  }
}

TEST_F(CliTest, OutputsAreWrittenSafelyAndNothingElseChanges) {
  MakeKey("k.mlk", 16);
  SetDefaultKey("k.mlk");
  const std::string settings = ReadFile(SettingsFilePath());
  WriteFile(dir / "a.txt", SomeBytes(100000, 2));
  const mode_t mask = ::umask(022);

  ASSERT_EQ(Cli({"encrypt", "a.txt"}).status, 0);
  ASSERT_EQ(Cli({"decrypt", "a.enc"}).status, 0);
  if (PermissionBits(dir / "a.enc")) {
    EXPECT_EQ(PermissionBits(dir / "a.enc"), 0644u) << "encrypted data as the umask allows";
    EXPECT_EQ(PermissionBits(dir / "a.dec"), 0600u) << "decrypted data for its owner only";
  }

  // A full disk part-way: no output, no hidden temporary left, the reason told.
  for (const std::string command : {"encrypt", "decrypt"}) {
    const std::string input = command == "encrypt" ? "a.txt" : "a.enc";
    ProgramResult full = Cli({command, "-f", input}, "", {"MARROWLOCK_FAIL_WRITES_AFTER=5000"});
    EXPECT_EQ(full.status, 1);
    const std::string output = command == "encrypt" ? "a.enc" : "a.dec";
    EXPECT_EQ(full.err, "marrowlock-cli: " + input + ": cannot write " + output +
                            ": No space left on device\n");
  }
  ::umask(mask);
  EXPECT_EQ(FolderNames(dir.path()),
            (std::vector<std::string>{"a.dec", "a.enc", "a.txt", "home", "k.mlk"}))
      << "no working file and no temporary is left";
  EXPECT_EQ(FolderNames(dir.home()), std::vector<std::string>{"mlinfo.dat"}) << "no log record";
  EXPECT_EQ(ReadFile(SettingsFilePath()), settings);
}

}  // namespace
}  // namespace marrowlock
