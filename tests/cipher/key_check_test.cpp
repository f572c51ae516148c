// SPDX-License-Identifier: MIT
// Reading a key file by its path, and the check that its Pal undoes its Pair.

#include <gtest/gtest.h>

#include "cipher/key_inverse.h"
#include "cipher/key_making.h"
#include "cipher/key_pair.h"
#include "platform/file_system.h"
#include "support/temp_dir.h"
#include "support/test_key.h"

namespace marrowlock {
namespace {

TEST(KeyCheckTest, APairAndItsInverseAreInverseAndNearMissesAreNot) {
  for (int n : {1, 2, 4, 8, 16, 256}) {
    SCOPED_TRACE(n);
    const TestKey key = MakeTestKey(n, static_cast<unsigned>(n));
    EXPECT_TRUE(IsInversePair(key.pair, key.pal));
    EXPECT_TRUE(IsInversePair(key.pal, key.pair)) << "inverse both ways";

    // Any changed byte breaks it; carries run towards the top, so even the first does.
    for (size_t at : {size_t{0}, key.pal.size() - 1}) {
      std::vector<uint8_t> changed = key.pal;
      changed[at] ^= 0x40;
      EXPECT_FALSE(IsInversePair(key.pair, changed)) << "byte " << at;
    }
    std::vector<uint8_t> even = key.pair;
    even.back() &= 0xfe;
    EXPECT_FALSE(IsInversePair(even, key.pal));
  }
  // 1 is its own inverse; 255 (= -1 mod 256) too.
  EXPECT_TRUE(IsInversePair({1}, {1}));
  EXPECT_TRUE(IsInversePair({255}, {255}));
  EXPECT_FALSE(IsInversePair({}, {}));
  EXPECT_FALSE(IsInversePair({0, 1}, {1})) << "halves of different lengths";
}

// A made key always changes what it encrypts: its Pair is odd (so Pal exists) and never
// 1, which one random odd byte in 128 would be.
TEST(KeyCheckTest, AMadeKeyIsAnInversePairThatChangesEveryBlock) {
  for (int n : {1, 2, 4, 8, 16, 256}) {
    SCOPED_TRACE(n);
    const int keys = n == 1 ? 4000 : 20;
    for (int i = 0; i < keys; ++i) {
      const std::vector<uint8_t> made = MakeKeyBytes(n);
      ASSERT_EQ(made.size(), 2u * n);
      const std::vector<uint8_t> pair(made.begin(), made.begin() + n);
      const std::vector<uint8_t> pal(made.begin() + n, made.end());
      ASSERT_TRUE(IsInversePair(pair, pal));
      std::vector<uint8_t> one(n, 0);
      one.back() = 1;
      ASSERT_NE(pair, one) << "key " << i;
    }
  }
}

TEST(KeyCheckTest, AKeyFileIsReadByItsLengthAndAnyOtherLengthGivesNoKey) {
  TempDir dir;
  const TestKey key = MakeTestKey(16, 3);
  WriteFile(dir / "k.mlk", std::string(key.pair.begin(), key.pair.end()) +
                               std::string(key.pal.begin(), key.pal.end()));
  KeyFileContents read = ReadKeyPair(dir / "k.mlk");
  EXPECT_EQ(read.length, 32);
  ASSERT_TRUE(read.key);
  EXPECT_EQ(read.key->BlockLength(), 16);
  EXPECT_EQ(read.key->pair, key.pair);
  EXPECT_EQ(read.key->pal, key.pal);
  EXPECT_TRUE(read.key->DecryptsWhatItEncrypts());

  for (size_t length : {0u, 6u, 64u, 256u, 513u}) {
    WriteFile(dir / "w.mlk", std::string(length, 'x'));
    KeyFileContents wrong = ReadKeyPair(dir / "w.mlk");
    EXPECT_EQ(wrong.length, static_cast<int64_t>(length));
    EXPECT_FALSE(wrong.key) << length;
  }
  // Exactly as named: no extension is forced.
  EXPECT_THROW(ReadKeyPair(dir / "k"), FileError);
}

}  // namespace
}  // namespace marrowlock
