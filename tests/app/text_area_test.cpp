// SPDX-License-Identifier: MIT
#include "app/text_area.h"

#include <gtest/gtest.h>

#include <string>

namespace marrowlock {
namespace {

constexpr TextEncoding kWestern = TextEncoding::kWindows1252;
constexpr TextEncoding kUtf8 = TextEncoding::kUtf8;

TEST(TextAreaTest, AWindowsEditControlShowsEveryKindOfBreakAsCrLf) {
  EXPECT_EQ(AreaText(std::string("a\r\nb\rc\nd\0e", 10), 0, kWestern, AreaBreaks::kCrLf),
            u"a\r\nb\r\nc\r\nd\u2400e");
  // Qt's text areas show one unit per break.
  EXPECT_EQ(AreaText("a\r\nb\rc", 0, kWestern, AreaBreaks::kParagraphs), u"a\nb\nc");
  // A text shown from the middle of a CR LF does not show its LF again.
  EXPECT_EQ(AreaText("a\r\nb", 2, kWestern, AreaBreaks::kCrLf), u"b");
  EXPECT_EQ(AreaText("caf\xC3\xA9 \xF0\x9F\x94\x91", 0, kUtf8, AreaBreaks::kCrLf),
            u"caf\u00e9 \U0001F511");
}

TEST(TextAreaTest, TypedTextTakesTheTextsLineBreakAndRefusesWhatWindows1252CannotHold) {
  bool lossy = false;
  EXPECT_EQ(AreaBytes(u"x\r\ny\rz\n\u2400", kWestern, &lossy, "\n"), std::string("x\ny\nz\n\0", 7));
  EXPECT_FALSE(lossy);
  EXPECT_EQ(AreaBytes(u"\u20ac\u0101", kWestern, &lossy), "\x80?");
  EXPECT_TRUE(lossy);
  lossy = false;
  EXPECT_EQ(AreaBytes(u"\u0101\U0001F511", kUtf8, &lossy), "\xC4\x81\xF0\x9F\x94\x91");
  EXPECT_FALSE(lossy);
}

// An edit in a Windows edit control, where each break is two units, rewrites only
// what it changed: every other byte, and every break's own kind, stays.
TEST(TextAreaTest, AnEditInACrLfAreaKeepsTheBytesItDidNotTouch) {
  struct Row {
    std::string before;
    std::u16string now;
    TextEncoding encoding;
    std::string expected;
    const char* why;
  };
  const Row rows[] = {
      {"one\ntwo", u"one\r\nXtwo", kWestern, "one\nXtwo", "typed after an LF"},
      {"one\ntwo", u"one\r\n\r\ntwo", kWestern, "one\n\ntwo", "a new line gets the text's break"},
      {"one\ntwo", u"onetwo", kWestern, "onetwo", "a break deleted whole"},
      {"a\rb\r\nc", u"a\r\nb\r\nd", kWestern, "a\rb\r\nd", "each break keeps its kind"},
      {"", u"x\r\ny", kWestern, "x\r\ny", "an empty box types CR LF"},
      {"caf\xE9\xFF", u"caf\uFFFD\uFFFDs", kUtf8, "caf\xE9\xFFs",
       "bytes shown as U+FFFD stay as they were"},
      {"ab\r\n", u"ab\r\n\U0001F511", kUtf8, "ab\r\n\xF0\x9F\x94\x91", "a character of two units"},
  };
  for (const Row& row : rows) {
    bool lossy = false;
    EXPECT_EQ(EditedAreaBytes(row.before, row.now, row.encoding, AreaBreaks::kCrLf, &lossy),
              row.expected)
        << row.why;
    // Nothing changed, nothing rewritten.
    EXPECT_EQ(EditedAreaBytes(row.before, AreaText(row.before, 0, row.encoding, AreaBreaks::kCrLf),
                              row.encoding, AreaBreaks::kCrLf, &lossy),
              row.before)
        << row.why;
  }
}

}  // namespace
}  // namespace marrowlock
