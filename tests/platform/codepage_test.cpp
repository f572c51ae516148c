// SPDX-License-Identifier: MIT
#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <string>

namespace marrowlock {
namespace {

TEST(CodePage, EveryByteRoundTripsThroughItsCharacter) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  bool lossy = false;
  EXPECT_EQ(EncodeText(DecodeBytes(all), &lossy), all);
  EXPECT_FALSE(lossy);

  // No two bytes share a character, or the round trip above could not hold.
  std::u32string chars = DecodeBytes(all);
  for (size_t i = 0; i < chars.size(); ++i) {
    for (size_t j = i + 1; j < chars.size(); ++j) ASSERT_NE(chars[i], chars[j]) << i << " " << j;
  }
}

TEST(CodePage, KnownCharactersOfTheHighHalf) {
  // Rows from the windows-1252 table, the unassigned bytes as their C1 controls.
  struct Row {
    unsigned char byte;
    char32_t code_point;
  };
  const Row rows[] = {{0x80, U'\u20AC'}, {0x81, 0x81},      {0x8D, 0x8D},   {0x8F, 0x8F},
                      {0x90, 0x90},      {0x9D, 0x9D},      {0x92, 0x2019}, {0x9F, 0x0178},
                      {0xA0, 0xA0},      {0xE9, U'\u00E9'}, {0xFF, 0xFF},   {0x00, 0x00}};
  for (const Row& row : rows) {
    EXPECT_EQ(ByteToCodePoint(row.byte), row.code_point) << int(row.byte);
    EXPECT_EQ(CodePointToByte(row.code_point), row.byte) << int(row.byte);
  }
}

TEST(CodePage, CharactersWithoutAByteAreMarkedNotDropped) {
  // U+0082 is a C1 control whose byte 0x82 stands for U+201A instead; U+0100 and
  // U+4E2D have no byte at all.
  EXPECT_EQ(CodePointToByte(0x82), std::nullopt);
  bool lossy = false;
  EXPECT_EQ(EncodeText(U"a\u0100b\u4E2Dc", &lossy), "a?b?c");
  EXPECT_TRUE(lossy);
}

}  // namespace
}  // namespace marrowlock
