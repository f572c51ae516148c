// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cipher/block_multiplier.h"
#include "support/program_run.h"
#include "support/temp_dir.h"

namespace marrowlock {
namespace {

class KeygenTest : public ::testing::Test {
 protected:
  // Runs the key generator in the test folder; `args` are split at blanks (none of
  // the arguments holds one).
  ProgramResult Keygen(const std::string& args) {
    ProgramRun run;
    run.program = MARROWLOCK_KEYGEN_BINARY;
    std::istringstream words(args);
    for (std::string word; words >> word;) run.args.push_back(word);
    ProgramResult result = RunToEnd(run);
    EXPECT_LT(result.status, 128) << args << ": ended by a signal";
    return result;
  }
  // A refusal: a non-zero exit, one line on stderr naming the problem, nothing on stdout.
  void ExpectRefused(const std::string& args, const std::string& mentions) {
    ProgramResult run = Keygen(args);
    EXPECT_NE(run.status, 0) << args;
    EXPECT_TRUE(run.out.empty()) << args;
    EXPECT_NE(run.err.find(mentions), std::string::npos) << args << ": " << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << args << ": one line: " << run.err;
  }

  TempDir dir;
};

TEST_F(KeygenTest, KeysInvertForEveryBlockLength) {
  for (int n : {1, 2, 4, 8, 16, 256}) {
    const std::string name = "k" + std::to_string(n) + ".mlk";
    ProgramResult run = Keygen("-n " + std::to_string(n) + " " + name);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string key = ReadFile(dir / name);
    ASSERT_EQ(key.size(), 2u * n);
    std::vector<uint8_t> pair(key.begin(), key.begin() + n);
    std::vector<uint8_t> pal(key.begin() + n, key.end());
    EXPECT_EQ(pair.back() % 2, 1) << "Pair is odd";
    BlockMultiplier(pair.data(), n).Apply(pal.data(), 1);
    std::vector<uint8_t> one(n, 0);
    one.back() = 1;
    EXPECT_EQ(pal, one) << "Pair x Pal = 1 for N = " << n;

    if (const std::optional<unsigned> bits = PermissionBits(dir / name)) {
      EXPECT_EQ(*bits, 0600u) << "a key is readable by its owner only";
    }
  }
}

TEST_F(KeygenTest, DefaultsToSixteenAndDrawsFreshKeys) {
  ASSERT_EQ(Keygen("a.mlk").status, 0);
  ASSERT_EQ(Keygen("b.mlk").status, 0);
  EXPECT_EQ(ReadFile(dir / "a.mlk").size(), 32u);
  EXPECT_NE(ReadFile(dir / "a.mlk"), ReadFile(dir / "b.mlk"));
}

TEST_F(KeygenTest, RefusesBadArgumentsAndNeverOverwrites) {
  ExpectRefused("-n 3 k.mlk", "invalid block length '3'");
  ExpectRefused("-n 32 k.mlk", "invalid block length '32'");
  ExpectRefused("-n x k.mlk", "invalid block length 'x'");
  ExpectRefused("k.mlk -n", "-n needs");
  ExpectRefused("", "missing FILE");
  ExpectRefused("-n 16", "missing FILE");
  ExpectRefused("a.mlk b.mlk", "only one FILE");
  ExpectRefused("-q k.mlk", "unknown option '-q'");
  EXPECT_FALSE(FileExists(dir / "k.mlk"));

  WriteFile(dir / "kept.mlk", "precious");
  ExpectRefused("kept.mlk", "already exists");
  EXPECT_EQ(ReadFile(dir / "kept.mlk"), "precious");

  ExpectRefused("no/such/folder/k.mlk", "cannot create no/such/folder/k.mlk");
}

TEST_F(KeygenTest, HelpAndVersionGoToStandardOutputAndMakeNoKey) {
  for (const char* option : {"--help", "-h"}) {
    ProgramResult run = Keygen(std::string(option) + " k.mlk");
    EXPECT_EQ(run.status, 0) << option;
    EXPECT_EQ(run.out.rfind("Usage: marrowlock-keygen [-n N] FILE", 0), 0u) << run.out;
    EXPECT_TRUE(run.err.empty()) << option;
  }
  ProgramResult version = Keygen("--version k.mlk");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "marrowlock-keygen 1.1.0\n");
  EXPECT_TRUE(version.err.empty());
  EXPECT_FALSE(FileExists(dir / "k.mlk"));
}

}  // namespace
}  // namespace marrowlock
