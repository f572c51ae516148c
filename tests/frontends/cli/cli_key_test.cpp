// SPDX-License-Identifier: MIT
// Which key marrowlock-cli uses, and the check that refuses a key that cannot
// decrypt what it encrypts.

#include "frontends/cli/cli_fixture.h"
#include "platform/paths.h"
#include "support/test_key.h"

namespace marrowlock {
namespace {

std::string KeyBytes(const TestKey& key) {
  return std::string(key.pair.begin(), key.pair.end()) +
         std::string(key.pal.begin(), key.pal.end());
}

TEST_F(CliTest, KeyPrintsTheBlockLengthAndTheCheckForEveryN) {
  for (int n : {1, 2, 4, 8, 16, 256}) {
    const std::string name = "k" + std::to_string(n) + ".mlk";
    MakeKey(name, n);
    ProgramResult run = Cli({"key", name});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, name + ": block length " + std::to_string(n) + " bytes\n" + name +
                           ": decrypts what it encrypts (Pair x Pal = 1 modulo 256^" +
                           std::to_string(n) + ")\n");
    EXPECT_EQ(run.err, "");
  }
}

TEST_F(CliTest, AKeyWhoseNumbersAreNotInverseIsRefusedBeforeAnyWork) {
  TestKey key = MakeTestKey(16, 5);
  key.pal.back() ^= 2;  // still odd, no longer the inverse
  WriteFile(dir / "bad.mlk", KeyBytes(key));
  TestKey even = MakeTestKey(4, 6);
  even.pair.back() &= 0xfe;  // an even Pair has no inverse at all
  WriteFile(dir / "even.mlk", KeyBytes(even));
  WriteFile(dir / "a.txt", "data");

  ProgramResult checked = Cli({"key", "bad.mlk"});
  EXPECT_EQ(checked.status, 1);
  EXPECT_EQ(checked.out,
            "bad.mlk: block length 16 bytes\nbad.mlk: cannot decrypt what it encrypts (Pal is "
            "not the inverse of Pair modulo 256^16)\n");

  for (const std::string command : {"encrypt", "decrypt"}) {
    ProgramResult refused = Cli({command, "-k", "bad.mlk", "a.txt"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err,
              "marrowlock-cli: bad.mlk: cannot decrypt what it encrypts (Pal is not the inverse "
              "of Pair modulo 256^16)\n");
  }
  ProgramResult refused = Cli({"encrypt", "-k", "even.mlk"}, "data");
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.out, "");
  EXPECT_NE(refused.err.find("even.mlk: cannot decrypt what it encrypts"), std::string::npos);
  EXPECT_FALSE(FileExists(dir / "a.enc"));
  EXPECT_FALSE(FileExists(dir / "a.dec"));
}

TEST_F(CliTest, AKeyFileOfAWrongLengthOrMissingIsRefusedAndLeftAlone) {
  WriteFile(dir / "a.txt", "data");
  for (size_t length : {0u, 3u, 48u, 64u}) {
    SCOPED_TRACE(length);
    WriteFile(dir / "w.mlk", std::string(length, '\x01'));
    ProgramResult refused = Cli({"encrypt", "-k", "w.mlk", "a.txt"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "marrowlock-cli: w.mlk: not a key file: it holds " +
                               std::to_string(length) +
                               " bytes, and a key file holds 2, 4, 8, 16, 32 or 512\n");
    EXPECT_EQ(Cli({"key", "w.mlk"}).status, 1);
    EXPECT_TRUE(FileExists(dir / "w.mlk")) << "the key file is the user's, even an empty one";
  }
  ProgramResult missing = Cli({"encrypt", "-k", "nothere.mlk", "a.txt"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "marrowlock-cli: cannot open nothere.mlk: No such file or directory\n");
  EXPECT_FALSE(FileExists(dir / "nothere.mlk"));
  EXPECT_FALSE(FileExists(dir / "a.enc"));
}

TEST_F(CliTest, KIsAPathFromTheCurrentFolderAndTheDefaultKeyComesFromTheSettings) {
  MakeFolder(dir / "keys", 0700);
  MakeFolder(dir / "work", 0700);
  MakeKey("keys/k.mlk", 16);  // the default key, in the key folder
  MakeKey("work/k.mlk", 16);  // another key of the same name, where the user stands
  EnsureSystemFolder();
  WriteSettingsFile(dir / "keys", "k.mlk");
  folder = dir / "work";
  const std::string plain = "the same bytes";

  const std::string by_default = Cli({"encrypt"}, plain).out;
  const std::string named = Cli({"encrypt", "-k", "k.mlk"}, plain).out;
  EXPECT_EQ(by_default, Cli({"encrypt", "-k", dir / "keys/k.mlk"}, plain).out);
  EXPECT_EQ(named, Cli({"encrypt", "-k", dir / "work/k.mlk"}, plain).out);
  EXPECT_EQ(named, Cli({"encrypt", "-k", "../work/k.mlk"}, plain).out);
  EXPECT_NE(named, by_default) << "-k k.mlk is the one in the current folder";

  ProgramResult shown = Cli({"key"});
  EXPECT_EQ(shown.status, 0) << shown.err;
  EXPECT_TRUE(shown.out.starts_with(JoinPath(dir / "keys", "k.mlk") + ": block length 16 bytes\n"))
      << shown.out;
}

TEST_F(CliTest, WithoutSettingsAKeyMustBeNamed) {
  ProgramResult run = Cli({"encrypt"}, "data");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err,
            "marrowlock-cli: no default key is set: name a key file with -k KEY, or set a "
            "default key in marrowlock's window (Key > Modify Defaults) or with: echo KEY | "
            "marrowlock FILE -i\n");
  EXPECT_FALSE(FileExists(SettingsFilePath())) << "nothing is asked and nothing written";
}

}  // namespace
}  // namespace marrowlock
