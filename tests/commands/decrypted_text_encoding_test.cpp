// SPDX-License-Identifier: MIT
#include "commands/command_fixture.h"

namespace marrowlock {
namespace {

// Encrypts `text` in text mode under the name "t", then decrypts "t.enc" into Text1.
void RoundTrip(ProgramState& s, ScriptedPlatform& platform, const std::string& text) {
  s.Form1.Text1.Text = text;
  platform.input_answers = {"t"};
  EncryptCommand(s);
  s.DecryptSourceName = "t.enc";
  DecryptCommand(s);
}

TEST_F(CommandTest, ADecryptedTextIsShownInTheEncodingItsBytesCallFor) {
  UseKey(16);
  // The padding of the last block (a space and zero bytes) is ASCII and changes nothing.
  const std::string utf8 = "Caf\xC3\xA9 \xE2\x80\x93 na\xC3\xAFve";
  RoundTrip(s, platform, utf8);
  EXPECT_EQ(s.Form1.Text1.Text.substr(0, utf8.size()), utf8);
  EXPECT_EQ(s.Text1Encoding, TextEncoding::kUtf8);
  EXPECT_EQ(ReadFile("t.dec"), s.Form1.Text1.Text);

  RoundTrip(s, platform, "Caf\xE9 \x96 na\xEFve (windows-1252)!!");
  EXPECT_EQ(s.Text1Encoding, TextEncoding::kWindows1252);

  s.Text1Encoding = TextEncoding::kUtf8;
  RoundTrip(s, platform, "ASCII alone");
  EXPECT_EQ(s.Text1Encoding, TextEncoding::kWindows1252);
  EXPECT_TRUE(platform.messages.empty());
}

}  // namespace
}  // namespace marrowlock
