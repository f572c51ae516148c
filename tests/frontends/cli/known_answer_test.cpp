// SPDX-License-Identifier: MIT
// Files made once and kept in tests/interop: a key of every block length and the
// plaintext plain.bin encrypted with each. Every build, on every system, must
// encrypt plain.bin to exactly those bytes and decrypt them back, so that files move
// between Linux and Windows.
#include <gtest/gtest.h>

#include <string>

#include "support/program_run.h"
#include "support/temp_dir.h"

namespace marrowlock {
namespace {

const std::string kFolder = std::string(MARROWLOCK_SOURCE_DIR) + "/tests/interop/";

ProgramResult Cli(std::vector<std::string> args, std::string input) {
  ProgramRun run;
  run.program = MARROWLOCK_CLI_BINARY;
  run.args = std::move(args);
  run.input = std::move(input);
  return RunToEnd(run);
}

TEST(KnownAnswerTest, EveryBlockLengthEncryptsAndDecryptsToTheKeptBytes) {
  TempDir dir;
  const std::string plain = ReadFile(kFolder + "plain.bin");
  for (const char* n : {"1", "2", "4", "8", "16", "256"}) {
    SCOPED_TRACE(std::string("block length ") + n);
    const std::string key = kFolder + "n" + n + ".mlk";
    const std::string kept = ReadFile(kFolder + "n" + n + ".enc");

    ProgramResult encrypted = Cli({"encrypt", "-k", key}, plain);
    ASSERT_EQ(encrypted.status, 0) << encrypted.err;
    EXPECT_TRUE(encrypted.out == kept) << "the encrypted bytes differ from the kept ones";

    ProgramResult decrypted = Cli({"decrypt", "-k", key}, kept);
    ASSERT_EQ(decrypted.status, 0) << decrypted.err;
    // As long as the encrypted file: the last block's padding stays at the end.
    ASSERT_EQ(decrypted.out.size(), kept.size());
    EXPECT_TRUE(decrypted.out.substr(0, plain.size()) == plain);
    const std::string padding = decrypted.out.substr(plain.size());
    EXPECT_TRUE(padding.find_first_not_of(std::string(" \0", 2)) == std::string::npos);
  }
}

}  // namespace
}  // namespace marrowlock
