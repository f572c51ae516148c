// SPDX-License-Identifier: MIT
#include "platform/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace marrowlock {
namespace {

constexpr TextEncoding kWestern = TextEncoding::kWindows1252;
constexpr TextEncoding kUtf8 = TextEncoding::kUtf8;

std::u32string Decode(std::string_view bytes, TextEncoding encoding) {
  std::u32string text;
  for (size_t pos = 0; pos < bytes.size();) text.push_back(DecodeCharacter(bytes, &pos, encoding));
  return text;
}

TEST(TextEncoding, TheChoiceTakesUtf8OnlyForValidTextBeyondAscii) {
  struct Row {
    const char* why;
    std::string bytes;
    TextEncoding expected;
  };
  const Row rows[] = {
      {"empty", "", kWestern},
      {"plain ASCII, NUL and line breaks", std::string("a\0b\r\nc", 6), kWestern},
      {"two-byte characters", "caf\xC3\xA9 na\xC3\xAFve", kUtf8},
      {"three- and four-byte characters", "\xE2\x80\x93 \xF0\x9F\x94\x91", kUtf8},
      {"a windows-1252 text of an older version", "caf\xE9 \x80 na\xEFve", kWestern},
      {"one stray byte in UTF-8", "caf\xC3\xA9 \xE9", kWestern},
      {"an overlong slash", "\xC0\xAF", kWestern},
      {"an overlong three-byte form", "\xE0\x80\xAF", kWestern},
      {"a surrogate", "\xED\xA0\x80", kWestern},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", kWestern},
      {"a character cut at the end", "caf\xC3\xA9 \xE2\x80", kWestern},
  };
  for (const Row& row : rows) EXPECT_EQ(ChooseEncoding(row.bytes), row.expected) << row.why;

  // Only a text known to be cut short may end in the middle of a character.
  EXPECT_EQ(ChooseEncoding("caf\xC3\xA9 \xE2\x80", true), kUtf8);
  EXPECT_EQ(ChooseEncoding("caf\xE9 caf\xC3\xA9 \xE2\x80", true), kWestern);
}

TEST(TextEncoding, Utf8DecodesEveryByteOnceWithReplacementsForFaults) {
  EXPECT_EQ(Decode("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x94\x91", kUtf8), U"café € 🔑");
  // Each faulty byte is one replacement character; the valid ones after it survive.
  EXPECT_EQ(Decode("a\xE9z", kUtf8), U"a\uFFFDz");
  EXPECT_EQ(Decode("\xC0\xAF", kUtf8), U"\uFFFD\uFFFD");
  EXPECT_EQ(Decode("\xED\xA0\x80!", kUtf8), U"\uFFFD\uFFFD\uFFFD!");
  EXPECT_EQ(Decode("\xE2\x82", kUtf8), U"\uFFFD\uFFFD");
  EXPECT_EQ(Decode("\xE2\x82x", kUtf8), U"\uFFFD\uFFFDx");
  // The same bytes in windows-1252: one character per byte.
  EXPECT_EQ(Decode("caf\xC3\xA9", kWestern), U"cafÃ©");
}

TEST(TextEncoding, CharactersBecomeBytesAndBackInBothEncodings) {
  const std::u32string text(U"a\0é€ā中🔑", 7);
  std::string utf8;
  for (char32_t c : text) EXPECT_TRUE(AppendCharacter(c, kUtf8, &utf8));
  EXPECT_EQ(utf8, std::string("a\0\xC3\xA9\xE2\x82\xAC\xC4\x81\xE4\xB8\xAD\xF0\x9F\x94\x91", 16));
  EXPECT_EQ(Decode(utf8, kUtf8), text);

  std::string western;
  EXPECT_TRUE(AppendCharacter(U'é', kWestern, &western));
  EXPECT_TRUE(AppendCharacter(U'€', kWestern, &western));
  EXPECT_FALSE(AppendCharacter(U'ā', kWestern, &western));
  EXPECT_EQ(western, "\xE9\x80?");

  std::string lone;
  EXPECT_TRUE(AppendCharacter(0xD800, kUtf8, &lone));
  EXPECT_EQ(lone, "\xEF\xBF\xBD");
}

TEST(TextEncoding, AnIncompleteTailIsOnlyTheStartOfAValidSequence) {
  EXPECT_EQ(IncompleteUtf8Tail(""), 0u);
  EXPECT_EQ(IncompleteUtf8Tail("abc"), 0u);
  EXPECT_EQ(IncompleteUtf8Tail("caf\xC3"), 1u);
  EXPECT_EQ(IncompleteUtf8Tail("caf\xC3\xA9"), 0u);
  EXPECT_EQ(IncompleteUtf8Tail("x\xE2\x82"), 2u);
  EXPECT_EQ(IncompleteUtf8Tail("x\xF0\x9F\x94"), 3u);
  EXPECT_EQ(IncompleteUtf8Tail("x\xF0\x9F\x94\x91"), 0u);
  // Bytes that no continuation could make valid are not waiting for one.
  EXPECT_EQ(IncompleteUtf8Tail("x\xE0\x80"), 0u);
  EXPECT_EQ(IncompleteUtf8Tail("x\xA9"), 0u);
  EXPECT_EQ(IncompleteUtf8Tail("x\xFF"), 0u);
}

}  // namespace
}  // namespace marrowlock
