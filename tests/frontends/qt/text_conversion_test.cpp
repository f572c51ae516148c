#include "frontends/qt/text_conversion.h"

#include <gtest/gtest.h>

namespace marrowlock {
namespace {

TEST(TextConversion, LineBreaksShowAsLinesAndTypedOnesBecomeCrLf) {
  EXPECT_EQ(BytesToDisplay(std::string("a\r\nb\rc\nd\0e", 10)),
            QString::fromUtf8("a\nb\nc\nd\u2400e"));
  // A CR LF cut in two by a flush is still one line break.
  EXPECT_EQ(BytesToDisplay("\nx", true), "x");
  EXPECT_EQ(BytesToDisplay("\nx", false), "\nx");

  bool lossy = false;
  EXPECT_EQ(DisplayToBytes(QString::fromUtf8("a\nb\u2029c\u2400\u20AC\u00A0"), &lossy),
            std::string("a\r\nb\r\nc\0\x80\xA0", 10));
  EXPECT_FALSE(lossy);
  EXPECT_EQ(DisplayToBytes(QString::fromUtf8("\u0100"), &lossy), "?");
  EXPECT_TRUE(lossy);
}

TEST(TextConversion, CaptionsShowUtf8NamesAndOtherBytesThroughTheCodePage) {
  EXPECT_EQ(CaptionText("Decrypted file(caf\xC3\xA9.txt)"),
            QString::fromUtf8("Decrypted file(café.txt)"));
  EXPECT_EQ(CaptionText("Saving\r\n 50%"), "Saving\n 50%");
  EXPECT_EQ(CaptionText("caf\xE9"), QString::fromUtf8("café"));
}

TEST(TextConversion, FilterStringsBecomeQtNameFilters) {
  EXPECT_EQ(ToNameFilters("All Files (*.*)|*.*|Text Files(*.txt)|*.txt|Documents Files "
                          "(*.doc;*.)|*.doc;*."),
            (QStringList{"All Files (*.*) (*)", "Text Files(*.txt) (*.txt)",
                         "Documents Files (*.doc;*.) (*.doc)"}));
  EXPECT_EQ(ToNameFilters("Key Files (*.mlk)|*.mlk"), QStringList{"Key Files (*.mlk) (*.mlk)"});
  EXPECT_TRUE(ToNameFilters("").isEmpty());
}

}  // namespace
}  // namespace marrowlock
