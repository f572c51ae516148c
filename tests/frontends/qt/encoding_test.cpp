// SPDX-License-Identifier: MIT
#include "state/encoding_choice.h"
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
  void Load(const std::string& bytes) {
    WriteFile(dir / "loaded.txt", bytes);
    platform.SetNextFileAnswer(dir / "loaded.txt");
    Trigger("menuFileLoad");
    ASSERT_EQ(s.Form1.Text1.Text, bytes.substr(0, 32000));
  }
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
}

// Shown as UTF-8, its bytes would be U+FFFD, and a keystroke would have written that
// character's bytes over every one of them.
TEST_F(EncodingTest, AWindows1252TextIsNotShownAsUtf8AndAKeystrokeKeepsItsBytes) {
  WriteFile(dir / "old.txt", kWesternText);
  platform.SetNextFileAnswer(dir / "old.txt");
  Trigger("menuFileLoad");
  Trigger("menuOptionsEncodingUnicode");
  EXPECT_EQ(LastMessage(), kNotUtf8Message);
  EXPECT_EQ(Status(), "Western (windows-1252)");
  EXPECT_TRUE(Action("menuOptionsEncodingWestern")->isChecked());
  EXPECT_FALSE(Action("menuOptionsEncodingUnicode")->isChecked());
  EXPECT_EQ(text1()->toPlainText(), QString::fromUtf8("café – naïve, old style"));

  text1()->moveCursor(QTextCursor::End);
  TypeCharacters(text1(), "!");
  EXPECT_EQ(SaveText("edited.txt"), kWesternText + "!");
}

TEST_F(EncodingTest, KeystrokesInAUtf8TextCutShortKeepTheBytesOfItsLastCharacter) {
  // The 32000 bytes shown begin with "é" and end with the first two bytes of "–".
  std::string text = "\xC3\xA9" + std::string(31996, 'a') + "\xE2\x80\x93 and more";
  WriteFile(dir / "long.txt", text);
  platform.SetNextFileAnswer(dir / "long.txt");
  Trigger("menuFileLoad");
  ASSERT_EQ(Status(), "Unicode (UTF-8)");
  ASSERT_TRUE(text1()->toPlainText().endsWith(QString::fromUtf8("a\uFFFD\uFFFD")));

  text1()->moveCursor(QTextCursor::Start);
  TypeCharacters(text1(), QString::fromUtf8("é"));
  EXPECT_EQ(SaveText("start.txt"), "\xC3\xA9" + text.substr(0, 32000));

  // Its start is valid UTF-8, so it may go to windows-1252 and back.
  platform.messages.clear();
  Load(text);
  Trigger("menuOptionsEncodingWestern");
  Trigger("menuOptionsEncodingUnicode");
  EXPECT_EQ(Status(), "Unicode (UTF-8)");
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].rfind("Overlarge file", 0), 0u);
}

// A loaded text keeps the line breaks it came with; new text gets CR LF.
TEST_F(EncodingTest, EditedTextsKeepTheirLineBreaksAndClearStartsAnewInWindows1252) {
  Load("first\nsecond\n");
  text1()->moveCursor(QTextCursor::End);
  Press(Qt::Key_T);
  Press(Qt::Key_Return);
  Press(Qt::Key_U);
  EXPECT_EQ(SaveText("lf.txt"), "first\nsecond\nt\nu");

  Load("caf\xC3\xA9\r\n");
  ASSERT_EQ(Status(), "Unicode (UTF-8)");
  Trigger("menuTextClear");
  EXPECT_EQ(Status(), "Western (windows-1252)");
  TypeCharacters(text1(), QString::fromUtf8("café"));
  Press(Qt::Key_Return);
  Press(Qt::Key_X);
  EXPECT_EQ(SaveText("new.txt"), "caf\xE9\r\nx");
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
