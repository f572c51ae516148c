// SPDX-License-Identifier: MIT
#include <set>

#include "commands/command_fixture.h"

namespace marrowlock {
namespace {

class RoundTripTest : public CommandTest, public ::testing::WithParamInterface<int> {
 protected:
  std::set<size_t> Sizes(bool with_empty) {
    const size_t n = static_cast<size_t>(GetParam());
    std::set<size_t> sizes = {1, n - 1, n, n + 1, 4000, 4001, 4004, 4021, 8002, 20011};
    sizes.erase(0);
    if (with_empty) sizes.insert(0);
    return sizes;
  }
};

TEST_P(RoundTripTest, BinaryFilesEncryptToTheFramedBlocksAndDecryptBack) {
  const int n = GetParam();
  UseKey(n);
  BinaryMode();
  for (size_t size : Sizes(true)) {
    SCOPED_TRACE("size " + std::to_string(size));
    const std::string data = PatternBytes(size, static_cast<unsigned>(size));
    const std::string framed = ReferenceFraming(data, n, true);
    WriteFile("src.bin", data);
    s.EncryptSourceName = "src.bin";
    EncryptCommand(s);
    ASSERT_EQ(ReadFile("src.enc"), ReferenceTransform(framed, key.pair));
    EXPECT_EQ(s.Form1.Label3.Caption, "Encrypted binary(src.enc)");

    s.DecryptSourceName = "src.enc";
    DecryptCommand(s);
    EXPECT_EQ(ReadFile("src.dec"), framed);
    EXPECT_EQ(s.BinaryData.size(), static_cast<int64_t>(framed.size()));
  }
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_FALSE(s.CommandRunning);
}

TEST_P(RoundTripTest, TextEncryptsToTheFramedBlocksAndShowsThemInText2) {
  const int n = GetParam();
  UseKey(n);
  for (size_t size : Sizes(false)) {
    SCOPED_TRACE("size " + std::to_string(size));
    const std::string text = PatternBytes(size, static_cast<unsigned>(size) + 1);
    const std::string encrypted = ReferenceTransform(ReferenceFraming(text, n, false), key.pair);
    s.Form1.Text1.Text = text;
    platform.input_answers = {"t"};
    EncryptCommand(s);
    ASSERT_EQ(ReadFile("t.enc"), encrypted);
    EXPECT_EQ(s.Form1.Text2.Text, encrypted);
    EXPECT_EQ(s.Form1.Label3.Caption, "Encrypted text(t.enc)");

    s.DecryptSourceName = "t";
    DecryptCommand(s);
    EXPECT_EQ(s.Form1.Text1.Text, ReferenceFraming(text, n, false));
    EXPECT_EQ(ReadFile("t.dec"), s.Form1.Text1.Text);
  }
  EXPECT_TRUE(platform.messages.empty());
}

TEST_P(RoundTripTest, EitherModeDecryptsWhatTheOtherEncrypted) {
  const int n = GetParam();
  UseKey(n);
  const std::string text = PatternBytes(5000, 3);
  s.Form1.Text1.Text = text;
  platform.input_answers = {"from_text"};
  EncryptCommand(s);

  BinaryMode();
  WriteFile("file.bin", text);
  s.EncryptSourceName = "file.bin";
  EncryptCommand(s);
  s.DecryptSourceName = "from_text.enc";
  DecryptCommand(s);
  EXPECT_EQ(ReadFile("from_text.dec"), ReferenceFraming(text, n, false));

  s.BinaryMode = false;
  s.Form1.Text1.Text.clear();
  s.DecryptSourceName = "file.enc";
  DecryptCommand(s);
  EXPECT_EQ(s.Form1.Text1.Text, ReferenceFraming(text, n, true));
}

INSTANTIATE_TEST_SUITE_P(EveryBlockLength, RoundTripTest, ::testing::Values(1, 2, 4, 8, 16, 256));

// With the multiplier 1 the encrypted file shows the plain blocks themselves.
TEST_F(CommandTest, ShortFinalChunksArePaddedWithSpacesOtherwiseWithSpaceAndZeros) {
  TestKey identity{std::vector<uint8_t>(16, 0), std::vector<uint8_t>(16, 0)};
  identity.pair.back() = identity.pal.back() = 1;
  InstallKey(s, identity);
  BinaryMode();
  struct Case {
    size_t size;
    std::string last_block;
  } cases[] = {
      {0, std::string(" ") + std::string(15, '\0')},
      {4004, "dddd" + std::string(12, ' ')},
      {4021, "ddddd " + std::string(10, '\0')},
      {8002, "dd " + std::string(13, '\0')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    WriteFile("src.bin", std::string(c.size, 'd'));
    s.EncryptSourceName = "src.bin";
    EncryptCommand(s);
    std::string enc = ReadFile("src.enc");
    ASSERT_EQ(enc.size() % 16, 0u);
    EXPECT_EQ(enc.size(), c.size / 16 * 16 + 16);
    EXPECT_EQ(enc.substr(enc.size() - 16), c.last_block);
  }
}

// Crosses the large read and write pieces and the window of the encrypted file.
TEST_F(CommandTest, LargeFilesRoundTripThroughTheWorkingFile) {
  UseKey(16);
  BinaryMode();
  const std::string data = PatternBytes(2621447, 11);
  WriteFile("big", data);
  s.EncryptSourceName = "big";
  EncryptCommand(s);
  ASSERT_EQ(ReadFile("big.enc"), ReferenceTransform(ReferenceFraming(data, 16, true), key.pair));
  s.DecryptSourceName = "big.enc";
  DecryptCommand(s);
  EXPECT_TRUE(s.BinaryData.IsFileBacked());
  EXPECT_EQ(ReadFile("big.dec"), ReferenceFraming(data, 16, true));
  EXPECT_GT(platform.process_events_calls, 2 * 2621447 / 1024 - 2);
}

}  // namespace
}  // namespace marrowlock
