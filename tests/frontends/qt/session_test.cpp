// SPDX-License-Identifier: MIT
#include <QApplication>
#include <QKeyEvent>

#include "app/dispatch.h"
#include "window_fixture.h"

namespace marrowlock {
namespace {

using SessionTest = WindowTest;

// Types characters that QTest's key tables cannot, as a keyboard layout would.
void TypeText(QWidget* target, const QString& text) {
  for (QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(target, &press);
  }
}

// Three typed lines: 16 bytes, whole blocks of the test key, so nothing is padded.
const std::string kTyped = "one\r\ntwo\r\nthree!";

void TypeThreeLines(QPlainTextEdit* edit) {
  QTest::keyClicks(edit, "one");
  QTest::keyClick(edit, Qt::Key_Return);
  QTest::keyClicks(edit, "two");
  QTest::keyClick(edit, Qt::Key_Return);
  QTest::keyClicks(edit, "three!");
}

TEST_F(SessionTest, TypeEncryptDecryptAndSaveText) {
  TypeThreeLines(text1());
  EXPECT_EQ(s.Form1.Text1.Text, kTyped);

  platform.SetNextFileAnswer(dir / "typed.txt");
  Trigger("menuTextSave");
  EXPECT_EQ(ReadFile(dir / "typed.txt"), kTyped);
  EXPECT_EQ(window().label(5)->text(), "Decrypted file(typed.txt)");

  OpenTestKey();
  platform.SetNextInputAnswer("secret");
  Trigger("menuFileEncrypt");
  const std::string cipher = EncryptWithTestKey(kTyped);
  EXPECT_EQ(ReadFile(dir / "secret.enc"), cipher);
  EXPECT_EQ(s.Form1.Text2.Text, cipher);
  EXPECT_EQ(window().text2()->toPlainText(), Shown(cipher));
  EXPECT_FALSE(window().progress_bar()->isVisible());

  platform.SetNextFileAnswer(dir / "secret.enc");
  Trigger("menuFileDecrypt");
  EXPECT_EQ(s.Form1.Text1.Text, kTyped);
  EXPECT_EQ(text1()->toPlainText(), "one\ntwo\nthree!");
  EXPECT_EQ(ReadFile(dir / "secret.dec"), kTyped);

  platform.SetNextFileAnswer(dir / "again.txt");
  Press(Qt::Key_S, Qt::AltModifier);
  EXPECT_EQ(ReadFile(dir / "again.txt"), kTyped);
  EXPECT_TRUE(platform.messages.empty()) << LastMessage();
}

TEST_F(SessionTest, BinaryModeLoadEncryptDecryptRename) {
  std::string data;
  for (int i = 0; i < 2600; ++i) data.push_back(static_cast<char>(i * 7));
  WriteFile(dir / "data.bin", data);

  Trigger("menuOptionsBinaryMode");
  OpenTestKey();
  platform.SetNextFileAnswer(dir / "data.bin");
  Trigger("menuFileLoad");
  ClickToolbar(5);  // the toolbar's Encrypt takes the loaded file without a question
  EXPECT_EQ(ReadFile(dir / "data.enc"), EncryptWithTestKey(data));
  EXPECT_EQ(window().text2()->toPlainText(), "(binary mode)");

  platform.SetNextFileAnswer(dir / "data.enc");
  Trigger("menuFileDecrypt");
  EXPECT_EQ(ReadFile(dir / "data.dec"), data);

  platform.SetNextInputAnswer("copy.bin");
  Trigger("menuFileRename");
  EXPECT_EQ(ReadFile(dir / "copy.bin"), data);
  EXPECT_TRUE(platform.messages.empty()) << LastMessage();
}

TEST_F(SessionTest, AnUneditedTextKeepsEveryByteWhenSavedAgain) {
  // NUL, a lone CR, a lone LF, CR LF and bytes of the high half; 16 bytes.
  const std::string plain("a\0b\rc\nd\r\n\x80\x81\xE9\xFF\x9D  ", 16);
  WriteFile(dir / "odd.enc", EncryptWithTestKey(plain));
  OpenTestKey();
  platform.SetNextFileAnswer(dir / "odd.enc");
  Trigger("menuFileDecrypt");
  EXPECT_EQ(s.Form1.Text1.Text, plain);

  platform.SetNextFileAnswer(dir / "odd.txt");
  Trigger("menuTextSave");
  EXPECT_EQ(ReadFile(dir / "odd.txt"), plain);

  // An edit rewrites only what it changes: every line break keeps its bytes.
  text1()->moveCursor(QTextCursor::End);
  QTest::keyClicks(text1(), "!");
  EXPECT_EQ(s.Form1.Text1.Text, plain + "!");
}

TEST_F(SessionTest, TypedCharactersWithoutAByteAreRefusedNotChanged) {
  TypeText(text1(), QString::fromUtf8("caf\u00E9 \u20AC \u0100"));
  EXPECT_TRUE(s.Text1Unencodable);
  OpenTestKey();
  platform.SetNextFileAnswer(dir / "never.txt");
  Press(Qt::Key_S, Qt::AltModifier);
  Trigger("menuFileEncrypt");
  EXPECT_EQ(platform.messages,
            (std::vector<std::string>{kUnencodableTextMessage, kUnencodableTextMessage}));
  EXPECT_FALSE(FileExists(dir / "never.txt"));
  EXPECT_FALSE(FileExists(dir / "default.enc"));

  // Removing the character makes the text writable again, with é and € as single bytes.
  QTest::keyClick(text1(), Qt::Key_Backspace);
  EXPECT_FALSE(s.Text1Unencodable);
  Press(Qt::Key_S, Qt::AltModifier);
  EXPECT_EQ(ReadFile(dir / "never.txt"), "caf\xE9 \x80 ");
}

}  // namespace
}  // namespace marrowlock
