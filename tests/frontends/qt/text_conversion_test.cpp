// SPDX-License-Identifier: MIT
#include "frontends/qt/text_conversion.h"

#include <gtest/gtest.h>

namespace marrowlock {
namespace {

constexpr TextEncoding kWestern = TextEncoding::kWindows1252;
constexpr TextEncoding kUtf8 = TextEncoding::kUtf8;

TEST(TextConversion, LineBreaksShowAsLinesAndTypedOnesBecomeCrLf) {
  EXPECT_EQ(BytesToDisplay(std::string("a\r\nb\rc\nd\0e", 10)),
            QString::fromUtf8("a\nb\nc\nd\u2400e"));
  // A CR LF cut in two by a flush is still one line break.
  EXPECT_EQ(TextAreaText("\r\nx", 1, kWestern), "x");
  EXPECT_EQ(TextAreaText("a\nx", 1, kWestern), "\nx");

  bool lossy = false;
  EXPECT_EQ(
      DisplayToBytes(QString::fromUtf8("a\nb\u2029c\u2028d\u2400\u20AC\u00A0"), kWestern, &lossy),
      std::string("a\r\nb\r\nc\r\nd\0\x80\xA0", 13));
  EXPECT_FALSE(lossy);
  EXPECT_EQ(DisplayToBytes(QString::fromUtf8("\u0100"), kWestern, &lossy), "?");
  EXPECT_TRUE(lossy);
}

TEST(TextConversion, BothEncodingsReadAndWriteTheirOwnBytes) {
  const std::string utf8 = "caf\xC3\xA9 \xE2\x80\x93 \xF0\x9F\x94\x91";
  EXPECT_EQ(BytesToDisplay(utf8, kUtf8), QString::fromUtf8("café – 🔑"));
  EXPECT_EQ(BytesToDisplay(utf8, kWestern), QString::fromUtf8("cafÃ© â€“ ðŸ”‘"));
  EXPECT_EQ(BytesToDisplay("caf\xE9", kUtf8), QString::fromUtf8("caf\uFFFD"));

  bool lossy = false;
  EXPECT_EQ(DisplayToBytes(QString::fromUtf8("café – 🔑 ā\n"), kUtf8, &lossy),
            "caf\xC3\xA9 \xE2\x80\x93 \xF0\x9F\x94\x91 \xC4\x81\r\n");
  EXPECT_FALSE(lossy);
  EXPECT_EQ(DisplayToBytes(QString::fromUtf8("café – ā"), kWestern, &lossy), "caf\xE9 \x96 ?");
  EXPECT_TRUE(lossy);
}

TEST(TextConversion, ALongTextKeepsManyLinesInOneParagraphYetShowsEveryLine) {
  std::string text;
  while (text.size() < (size_t{1} << 20))
    text += "a line of some fifty bytes, give or take a few\r\n";
  QString shown = BytesToDisplay(text);
  const qsizetype lines = shown.count(QChar(u'\n')) + shown.count(QChar(0x2028));
  EXPECT_EQ(lines, static_cast<qsizetype>(text.size() / 48));
  EXPECT_LT(shown.count(QChar(u'\n')), lines / 50);
  // Typed back, both kinds of break are the CR LF they came from.
  EXPECT_EQ(DisplayToBytes(shown, kWestern, nullptr), text);
  // The tail of a growing text breaks its paragraphs where the whole text would.
  const size_t cut = text.size() / 2 + 7;
  EXPECT_TRUE(shown.endsWith(TextAreaText(text, cut, kWestern)));

  // A short text gives each line its own paragraph, as typed text has.
  EXPECT_EQ(BytesToDisplay("one\r\ntwo\r\nthree"), "one\ntwo\nthree");
}

// An edit rewrites only the characters it changed: whatever bytes the rest of the
// text had, line breaks and bytes without a character included, stay as they were.
TEST(TextConversion, AnEditKeepsTheBytesOfEverythingItDidNotChange) {
  struct Row {
    std::string before;
    TextEncoding encoding;
    QString now;
    std::string expected;
    const char* why;
  };
  const Row rows[] = {
      {"caf\xE9 na\xEFve", kUtf8, QString::fromUtf8("caf\uFFFD na\uFFFDveX"), "caf\xE9 na\xEFveX",
       "bytes shown as U+FFFD survive typing at the end"},
      {"caf\xE9 na\xEFve", kUtf8, QString::fromUtf8("caf\uFFFD ün\uFFFDve"),
       "caf\xE9 \xC3\xBCn\xEFve", "and typing between them, in UTF-8"},
      {"caf\xE9", kUtf8, QString::fromUtf8("cafe"), "cafe", "a replaced U+FFFD is gone"},
      {"one\ntwo\n", kWestern, "one\ntwo\nthree\nfour", "one\ntwo\nthree\nfour",
       "an LF text gets LF"},
      {"one\r\ntwo", kWestern, "one\nTWO\nthree", "one\r\nTWO\r\nthree", "a CR LF text CR LF"},
      {"a\rb", kWestern, "a\nb\nc", "a\rb\rc", "a CR text CR"},
      {"a\nb\r\nc\rd", kWestern, "a\nb\nc\nd!", "a\nb\r\nc\rd!", "mixed breaks are kept"},
      {"", kWestern, "x\ny", "x\r\ny", "an empty box gets CR LF"},
      {"a\rb\nc", kWestern, "a\n\nc", "a\r\n\nc", "a lone CR meeting an LF stays apart"},
      {"x\xF0\x9F\x94\x91y", kUtf8, QString::fromUtf8("x\U0001F513y"), "x\xF0\x9F\x94\x93y",
       "a character of two units is written whole"},
      {std::string("a\0b", 3), kWestern, QString::fromUtf8("a\u2400bc"), std::string("a\0bc", 4),
       "a NUL stays a NUL"},
  };
  for (const Row& row : rows) {
    bool lossy = false;
    EXPECT_EQ(EditedBytes(row.before, row.now, row.encoding, &lossy), row.expected) << row.why;
    EXPECT_FALSE(lossy) << row.why;
    // Nothing changed, nothing rewritten.
    EXPECT_EQ(
        EditedBytes(row.before, TextAreaText(row.before, 0, row.encoding), row.encoding, &lossy),
        row.before)
        << row.why;
  }
  bool lossy = false;
  EXPECT_EQ(EditedBytes("caf\xE9", QString::fromUtf8("café ā"), kWestern, &lossy), "caf\xE9 ?");
  EXPECT_TRUE(lossy);
}

TEST(TextConversion, CaptionsShowUtf8NamesAndOtherBytesThroughTheCodePage) {
  EXPECT_EQ(CaptionText("Decrypted file(caf\xC3\xA9.txt)"),
            QString::fromUtf8("Decrypted file(café.txt)"));
  EXPECT_EQ(CaptionText("Saving\r\n 50%"), "Saving\n 50%");
  EXPECT_EQ(CaptionText("caf\xE9"), QString::fromUtf8("café"));
}

TEST(TextConversion, FilterStringsBecomeQtNameFiltersThatShowEachPatternOnce) {
  EXPECT_EQ(ToNameFilters("All Files (*.*)|*.*|Text Files(*.txt)|*.txt|Documents Files "
                          "(*.doc;*.)|*.doc;*."),
            (QStringList{"All Files (*)", "Text Files (*.txt)", "Documents Files (*.doc)"}));
  EXPECT_EQ(ToNameFilters("Key Files (*.mlk)|*.mlk"), QStringList{"Key Files (*.mlk)"});
  EXPECT_EQ(ToNameFilters("Picture Files (*.jpg;*.bmp)|*.jpg;*.bmp|Plain|*.txt"),
            (QStringList{"Picture Files (*.jpg *.bmp)", "Plain (*.txt)"}));
  EXPECT_TRUE(ToNameFilters("").isEmpty());
}

}  // namespace
}  // namespace marrowlock
