// SPDX-License-Identifier: MIT
#include "commands/block_transform.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <vector>

#include "cipher/block_multiplier.h"
#include "cipher/key_inverse.h"
#include "commands/key_file.h"
#include "support/scripted_platform.h"

namespace marrowlock {
namespace {

using Bytes = std::vector<uint8_t>;

// A state holding a key as an opened key file leaves it: tables of N + 1 cells.
void InstallKey(ProgramState& s, const Bytes& pair, const Bytes& pal) {
  SetKeyTables(s, pair.data(), pal.data(), static_cast<int>(pair.size()));
}

Bytes Encrypt(ProgramState& s, const Bytes& block) {
  std::copy(block.begin(), block.end(), s.PlainBlock.begin());
  MultiplyBlock(s, 0);
  StoreBlockResult(s, 0);
  return Bytes(s.CipherBlock.begin(), s.CipherBlock.begin() + s.BlockLength);
}

Bytes Decrypt(ProgramState& s, const Bytes& block) {
  std::copy(block.begin(), block.end(), s.CipherBlock.begin());
  MultiplyBlock(s, 1);
  StoreBlockResult(s, 1);
  return Bytes(s.DecryptedBlock.begin(), s.DecryptedBlock.begin() + s.BlockLength);
}

Bytes Fast(const Bytes& multiplier, Bytes block) {
  BlockMultiplier(multiplier.data(), static_cast<int>(multiplier.size())).Apply(block.data(), 1);
  return block;
}

Bytes Random(std::mt19937& rng, size_t n) {
  Bytes b(n);
  for (auto& x : b) x = static_cast<uint8_t>(rng());
  return b;
}

Bytes RandomOdd(std::mt19937& rng, size_t n) {
  Bytes b = Random(rng, n);
  b.back() |= 1;
  return b;
}

Bytes One(size_t n) {
  Bytes b(n - 1, 0);
  b.push_back(1);
  return b;
}

class TransformTest : public ::testing::TestWithParam<int> {
 protected:
  size_t n() const { return static_cast<size_t>(GetParam()); }
  int Rounds() const { return GetParam() == 256 ? 20 : 300; }
  ScriptedPlatform platform;
  ProgramState s{platform};
  std::mt19937 rng{static_cast<unsigned>(GetParam()) * 7919u};
};

// The reference, with and without truncation, and the fast path must agree on
// random keys and blocks, and on the all-ones values that carry the furthest.
TEST_P(TransformTest, ReferenceAndFastPathAgree) {
  for (int round = 0; round < Rounds(); ++round) {
    Bytes key = round == 0 ? Bytes(n(), 0xFF) : Random(rng, n());
    Bytes block = round <= 1 ? Bytes(n(), 0xFF) : Random(rng, n());
    InstallKey(s, key, Bytes(n(), 0));
    s.TruncatedProduct = true;
    Bytes truncated = Encrypt(s, block);
    s.TruncatedProduct = false;
    Bytes full = Encrypt(s, block);
    ASSERT_EQ(truncated, full) << "round " << round;
    ASSERT_EQ(Fast(key, block), full) << "round " << round;
  }
}

// Apply on a run of blocks must equal one block at a time, for run lengths that
// leave every possible tail after the multi-block steps.
TEST_P(TransformTest, RunsOfBlocksMatchSingleBlocks) {
  Bytes key = Random(rng, n());
  BlockMultiplier multiplier(key.data(), GetParam());
  for (size_t count : {0, 1, 7, 8, 15, 16, 17, 37}) {
    Bytes run = Random(rng, count * n());
    Bytes expected;
    for (size_t b = 0; b < count; ++b) {
      Bytes one = Fast(key, Bytes(run.begin() + b * n(), run.begin() + (b + 1) * n()));
      expected.insert(expected.end(), one.begin(), one.end());
    }
    multiplier.Apply(run.data(), count);
    EXPECT_EQ(run, expected) << count << " blocks";
  }
}

TEST_P(TransformTest, KnownValues) {
  Bytes key = Random(rng, n());
  Bytes block = Random(rng, n());
  InstallKey(s, key, One(n()));

  EXPECT_EQ(Encrypt(s, Bytes(n(), 0)), Bytes(n(), 0)) << "zero block";
  EXPECT_EQ(Decrypt(s, block), block) << "multiplier one";
  EXPECT_EQ(Encrypt(s, block).back(), static_cast<uint8_t>(block.back() * key.back()))
      << "last cell is the product of the last cells mod 256";

  // Changing input cell j leaves result cells after j alone.
  Bytes before = Encrypt(s, block);
  for (size_t j : {size_t{0}, n() / 2, n() - 1}) {
    Bytes changed = block;
    changed[j] ^= 0x5A;
    Bytes after = Encrypt(s, changed);
    EXPECT_TRUE(std::equal(after.begin() + j + 1, after.end(), before.begin() + j + 1))
        << "cell " << j;
  }
}

// Without truncation the reference forms the whole double-length product.
TEST_P(TransformTest, UntruncatedProductIsComplete) {
  Bytes max(n(), 0xFF);
  InstallKey(s, max, max);
  s.TruncatedProduct = false;
  std::copy(max.begin(), max.end(), s.PlainBlock.begin());
  MultiplyBlock(s, 0);
  // (256^N - 1)^2 = FF..FE 00..01
  Bytes expected(2 * n(), 0);
  std::fill(expected.begin(), expected.begin() + n(), 0xFF);
  expected[n() - 1] = 0xFE;
  expected.back() = 0x01;
  EXPECT_EQ(Bytes(s.ProductCells.begin(), s.ProductCells.begin() + 2 * n()), expected);
}

TEST_P(TransformTest, KeyAndInverseRoundTrip) {
  for (int round = 0; round < 5; ++round) {
    Bytes pair = RandomOdd(rng, n());
    Bytes pal = InverseModBlock(pair);
    ASSERT_EQ(Fast(pair, pal), One(n()));
    InstallKey(s, pair, pal);
    for (int b = 0; b < 10; ++b) {
      Bytes block = Random(rng, n());
      Bytes cipher = Encrypt(s, block);
      EXPECT_EQ(Decrypt(s, cipher), block);
      EXPECT_EQ(Fast(pal, Fast(pair, block)), block);
    }
  }
}

TEST_P(TransformTest, OtherModesWriteNoResult) {
  InstallKey(s, Random(rng, n()), Random(rng, n()));
  Bytes marker(n() + 1, 0xA5);
  s.CipherBlock = marker;
  s.DecryptedBlock = marker;
  std::fill(s.PlainBlock.begin(), s.PlainBlock.end(), 0x11);
  MultiplyBlock(s, 2);
  StoreBlockResult(s, 2);
  EXPECT_EQ(s.CipherBlock, marker);
  EXPECT_EQ(s.DecryptedBlock, marker);
  EXPECT_EQ(Bytes(s.ProductCells.begin(), s.ProductCells.begin() + 2 * n()), Bytes(2 * n(), 0));
}

INSTANTIATE_TEST_SUITE_P(EveryBlockLength, TransformTest, ::testing::Values(1, 2, 4, 8, 16, 256));

TEST(TransformSingleByte, IsMultiplicationModulo256) {
  ScriptedPlatform platform;
  ProgramState s{platform};
  for (int m = 0; m < 256; ++m) {
    InstallKey(s, Bytes{static_cast<uint8_t>(m)}, Bytes{1});
    Bytes all(256);
    for (int x = 0; x < 256; ++x) all[x] = static_cast<uint8_t>(x);
    Bytes fast = all;
    BlockMultiplier(s.PairKey.data(), 1).Apply(fast.data(), fast.size());
    for (int x = 0; x < 256; ++x) {
      uint8_t expected = static_cast<uint8_t>(x * m);
      ASSERT_EQ(Encrypt(s, Bytes{static_cast<uint8_t>(x)}), Bytes{expected}) << x << "*" << m;
      ASSERT_EQ(fast[x], expected) << x << "*" << m;
    }
  }
}

TEST(TransformEvenKey, LosesInformationAndHasNoInverse) {
  // An even Pair sends the block with only the top bit set and the zero block alike.
  Bytes pair(16, 0);
  pair.back() = 2;
  Bytes top(16, 0);
  top[0] = 0x80;
  EXPECT_EQ(Fast(pair, top), Bytes(16, 0));
  EXPECT_THROW(InverseModBlock(pair), std::invalid_argument);
}

TEST(TransformWithoutKey, IsReportedNotReadOutOfBounds) {
  ScriptedPlatform platform;
  ProgramState s{platform};
  EXPECT_THROW(MultiplyBlock(s, 0), std::out_of_range);
  EXPECT_THROW(StoreBlockResult(s, 1), std::out_of_range);
}

}  // namespace
}  // namespace marrowlock
