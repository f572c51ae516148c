// SPDX-License-Identifier: MIT
#include "window_fixture.h"

namespace marrowlock {
namespace {

class EncodingTest : public WindowTest {
 protected:
  // Decrypts `plain` (an even number of bytes, whole blocks of the test key) into Text1.
  void Decrypt(const std::string& plain) {
    ASSERT_EQ(plain.size() % 2, 0u);
    WriteFile(dir / "text.enc", EncryptWithTestKey(plain));
    platform.SetNextFileAnswer(dir / "text.enc");
    Trigger("menuFileDecrypt");
    ASSERT_EQ(s.Form1.Text1.Text, plain);
  }
  std::string SaveText(const char* name) {
    platform.SetNextFileAnswer(dir / name);
    Trigger("menuTextSave");
    return FileExists(dir / name) ? ReadFile(dir / name) : "(not saved)";
  }
  QString Status() { return window().encoding_status()->text(); }
};

const std::string kUtf8Text = "caf\xC3\xA9 \xE2\x80\x93 na\xC3\xAFve";  // café – naïve
const std::string kWesternText = "caf\xE9 \x96 na\xEFve, old style";    // the same in windows-1252

TEST_F(EncodingTest, ADecryptedUtf8TextIsShownAsUtf8AndKeepsItsBytesInEitherEncoding) {
  OpenTestKey();
  Decrypt(kUtf8Text);
  EXPECT_EQ(text1()->toPlainText(), QString::fromUtf8("café – naïve"));
  EXPECT_EQ(Status(), "Unicode (UTF-8)");
  EXPECT_TRUE(Action("menuOptionsEncodingUnicode")->isChecked());
  EXPECT_EQ(SaveText("utf8.txt"), kUtf8Text);

  // Read as windows-1252 it shows what older versions showed, and still saves and
  // encrypts the bytes it came as.
  Trigger("menuOptionsEncodingWestern");
  EXPECT_EQ(text1()->toPlainText(), QString::fromUtf8("cafÃ© â€“ naÃ¯ve"));
  EXPECT_EQ(Status(), "Western (windows-1252)");
  EXPECT_EQ(SaveText("western.txt"), kUtf8Text);
  platform.SetNextInputAnswer("again");
  Trigger("menuFileEncrypt");
  EXPECT_EQ(ReadFile(dir / "again.enc"), EncryptWithTestKey(kUtf8Text));
  EXPECT_TRUE(platform.messages.empty()) << LastMessage();
}

TEST_F(EncodingTest, AWindows1252FileOfAnOlderVersionLoadsAndSavesUnchanged) {
  Trigger("menuOptionsEncodingUnicode");
  WriteFile(dir / "old.txt", kWesternText);
  platform.SetNextFileAnswer(dir / "old.txt");
  Trigger("menuFileLoad");
  EXPECT_EQ(text1()->toPlainText(), QString::fromUtf8("café – naïve, old style"));
  EXPECT_EQ(Status(), "Western (windows-1252)");
  EXPECT_EQ(SaveText("copy.txt"), kWesternText);

  // Read as UTF-8 its stray bytes show as replacement characters, and are still saved as they were.
  Trigger("menuOptionsEncodingUnicode");
  EXPECT_EQ(text1()->toPlainText(), QString::fromUtf8("caf\uFFFD \uFFFD na\uFFFDve, old style"));
  EXPECT_EQ(SaveText("copy2.txt"), kWesternText);
}

TEST_F(EncodingTest, TypedTextIsWrittenInTheEncodingInForceAndKeepsItsCharactersOnASwitch) {
  Trigger("menuOptionsEncodingUnicode");
  TypeCharacters(text1(), QString::fromUtf8("ā € 中"));
  EXPECT_FALSE(s.Text1Unencodable);
  EXPECT_EQ(SaveText("typed.txt"), "\xC4\x81 \xE2\x82\xAC \xE4\xB8\xAD");

  // Windows-1252 has € but neither ā nor 中: the text is refused, not changed.
  Trigger("menuOptionsEncodingWestern");
  EXPECT_EQ(text1()->toPlainText(), QString::fromUtf8("ā € 中"));
  EXPECT_TRUE(s.Text1Unencodable);
  Trigger("menuTextSave");
  EXPECT_EQ(LastMessage(), kUnencodableTextMessage);

  // Back in UTF-8 nothing was lost; new typing goes on in UTF-8.
  Trigger("menuOptionsEncodingUnicode");
  EXPECT_FALSE(s.Text1Unencodable);
  text1()->moveCursor(QTextCursor::End);
  TypeCharacters(text1(), QString::fromUtf8("é"));
  EXPECT_EQ(SaveText("typed2.txt"), "\xC4\x81 \xE2\x82\xAC \xE4\xB8\xAD\xC3\xA9");
}

TEST_F(EncodingTest, TypedWindows1252TextSwitchedToUtf8IsWrittenAnewInUtf8) {
  TypeCharacters(text1(), QString::fromUtf8("café"));
  EXPECT_EQ(s.Form1.Text1.Text, "caf\xE9");
  Trigger("menuOptionsEncodingUnicode");
  EXPECT_EQ(text1()->toPlainText(), "café");
  EXPECT_EQ(s.Form1.Text1.Text, "caf\xC3\xA9");
}

}  // namespace
}  // namespace marrowlock
