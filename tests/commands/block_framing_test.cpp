// SPDX-License-Identifier: MIT
#include "commands/block_framing.h"

#include <gtest/gtest.h>

#include "cipher/stream_framing.h"
#include "support/scripted_platform.h"

namespace marrowlock {
namespace {

class BlockFramingTest : public ::testing::Test {
 protected:
  ScriptedPlatform platform;
  ProgramState s{platform};

  void Frame(int n, const std::string& text) {
    s.BlockLength = n;
    s.SourceText = text;
    s.SourceLength = static_cast<int64_t>(text.size());
    s.SourcePos = 0;
  }
  // Every block ReadPlainBlock gives while the encrypt loop would go on.
  std::vector<std::string> Blocks() {
    std::vector<std::string> blocks;
    do {
      ReadPlainBlock(s);
      blocks.emplace_back(s.PlainBlock.begin(), s.PlainBlock.begin() + s.BlockLength);
    } while (s.SourcePos < s.SourceLength);
    return blocks;
  }
};

TEST_F(BlockFramingTest, TextIsCutEveryNBytesAndOnlyAShortLastBlockIsPadded) {
  Frame(16, std::string(32, 'a'));
  EXPECT_EQ(Blocks().size(), 2u);

  Frame(16, std::string(32, 'a') + "xyz");
  auto blocks = Blocks();
  ASSERT_EQ(blocks.size(), 3u);
  EXPECT_EQ(blocks[2], "xyz " + std::string(12, '\0'));

  Frame(16, std::string(15, 'b'));
  EXPECT_EQ(Blocks(), std::vector<std::string>{std::string(15, 'b') + " "});

  Frame(1, "abc");
  EXPECT_EQ(Blocks(), (std::vector<std::string>{"a", "b", "c"}));
}

TEST_F(BlockFramingTest, NothingLeftInTextModeLeavesTheBlockAsItWas) {
  Frame(4, "abcd");
  ReadPlainBlock(s);
  ReadPlainBlock(s);
  EXPECT_EQ(std::string(s.PlainBlock.begin(), s.PlainBlock.begin() + 4), "abcd");
  EXPECT_EQ(s.SourcePos, 4);
}

TEST_F(BlockFramingTest, TwoOrMoreBytesAfterTheLastWholeBlockAreDamageAndOneIsIgnored) {
  s.BlockLength = 16;
  for (int extra : {1, 5}) {
    SCOPED_TRACE(extra);
    platform.messages.clear();
    s.InputDamaged = false;
    s.SourceText = std::string(48 + extra, 'c');
    s.CipherLength = 48 + extra;
    s.CipherPos = 0;
    int blocks = 0;
    while (s.CipherPos != s.CipherLength && ReadCipherBlock(s)) ++blocks;
    EXPECT_EQ(blocks, 3);
    EXPECT_EQ(s.CipherPos, 48);
    // A single stray byte is ignored silently; two or more are damage.
    EXPECT_EQ(s.InputDamaged, extra >= 2);
    EXPECT_EQ(platform.messages.size(), extra >= 2 ? 1u : 0u);
  }
}

TEST_F(BlockFramingTest, CipherBlocksAreTakenFromAWindowOfTheFile) {
  s.BlockLength = 2;
  s.SourceText = "wxyz";
  s.SourceTextStart = 1000;
  s.CipherPos = 1002;
  s.CipherLength = 1004;
  ASSERT_TRUE(ReadCipherBlock(s));
  EXPECT_EQ(std::string(s.CipherBlock.begin(), s.CipherBlock.begin() + 2), "yz");
  EXPECT_FALSE(ReadCipherBlock(s));
  EXPECT_FALSE(s.InputDamaged);
}

// The stream framing of marrowlock-cli gives the same blocks only while both cut the
// source into chunks of one size.
TEST(StreamFramingTest, TheChunkSizeIsTheOneBinaryModeReadsIn) {
  ScriptedPlatform platform;
  ProgramState s{platform};
  EXPECT_EQ(s.ChunkSize, kSourceChunkSize);
}

}  // namespace
}  // namespace marrowlock
