// SPDX-License-Identifier: MIT
// Random data, random keys of every length, both modes: decrypting what was encrypted
// gives the data back followed by exactly the padding of its last block.

#include <random>

#include "cipher/key_inverse.h"
#include "commands/command_fixture.h"

namespace marrowlock {
namespace {

constexpr unsigned kSeed = 20031101;
constexpr int kSizesPerCase = 8;

bool IsOne(const std::vector<uint8_t>& x) {
  for (size_t i = 0; i + 1 < x.size(); ++i) {
    if (x[i] != 0) return false;
  }
  return x.back() == 1;
}

class RoundTripPropertyTest : public CommandTest {
 protected:
  std::mt19937 random{kSeed};

  // An odd Pair and the program's inverse of it, checked against the test's own
  // multiplication so that a wrong inverse cannot pass as a key.
  void UseRandomKey(int n) {
    TestKey k;
    for (int i = 0; i < n; ++i) k.pair.push_back(static_cast<uint8_t>(random()));
    k.pair.back() |= 1;
    k.pal = InverseModBlock(k.pair);
    ASSERT_TRUE(IsOne(MultiplyMod(k.pair, k.pal)));
    key = k;
    InstallKey(s, key);
  }

  // Encrypts `data` in one mode and decrypts it in the other mode or the same, then
  // compares with the framing. Text mode cannot hold an empty text.
  void RoundTrip(const std::string& data, bool encrypt_binary, bool decrypt_binary) {
    const int n = s.BlockLength;
    SCOPED_TRACE(testing::Message() << "N " << n << ", " << data.size() << " bytes, "
                                    << (encrypt_binary ? "binary" : "text") << " -> "
                                    << (decrypt_binary ? "binary" : "text"));
    platform.messages.clear();
    s.BinaryMode = encrypt_binary;
    if (encrypt_binary) {
      WriteFile("plain", data);
      s.EncryptSourceName = "plain";
    } else {
      s.Form1.Text1.Text = data;
      platform.input_answers = {"plain"};
    }
    EncryptCommand(s);
    const std::string framed = ReferenceFraming(data, n, encrypt_binary);
    const std::string encrypted = ReadFile("plain.enc");
    ASSERT_EQ(encrypted.size(), framed.size());
    // The byte-wise reference is slow for long data; its first blocks suffice there.
    const size_t checked = std::min<size_t>(framed.size(), 64 * 1024 / n * n);
    ASSERT_EQ(encrypted.substr(0, checked),
              ReferenceTransform(framed.substr(0, checked), key.pair));

    s.BinaryMode = decrypt_binary;
    s.DecryptSourceName = "plain.enc";
    DecryptCommand(s);
    ASSERT_TRUE(platform.messages.empty()) << platform.messages.front();
    ASSERT_TRUE(ReadFile("plain.dec") == framed) << "the round trip lost or changed bytes";
    if (decrypt_binary) {
      ASSERT_EQ(s.BinaryData.size(), static_cast<int64_t>(framed.size()));
    } else {
      ASSERT_TRUE(s.Form1.Text1.Text == framed);
    }
  }

  size_t RandomSize(bool allow_empty) {
    std::uniform_int_distribution<size_t> size(allow_empty ? 0 : 1, 20000);
    return size(random);
  }
};

TEST_F(RoundTripPropertyTest, RandomSizesKeysAndModesComeBackWithTheirPadding) {
  for (int n : {1, 2, 4, 8, 16, 256}) {
    for (int round = 0; round < kSizesPerCase; ++round) {
      UseRandomKey(n);
      const bool encrypt_binary = round % 2 == 0;
      const bool decrypt_binary = (random() & 1) != 0;
      const std::string data = PatternBytes(RandomSize(encrypt_binary), random());
      RoundTrip(data, encrypt_binary, decrypt_binary);
      if (HasFatalFailure()) return;
    }
  }
}

// The sizes where the framing changes its rule: around a block, around the 4001-byte
// chunks, and empty.
TEST_F(RoundTripPropertyTest, SizesAtTheFramingBoundaries) {
  for (int n : {1, 2, 4, 8, 16, 256}) {
    UseRandomKey(n);
    for (size_t size : {size_t{0}, size_t{1}, size_t(n - 1), size_t(n), size_t(n + 1), size_t{4000},
                        size_t{4001}, size_t{4002}, size_t{8002 + 3}, size_t(2 * 4001 - 1)}) {
      RoundTrip(PatternBytes(size, random()), true, true);
      if (size > 0) RoundTrip(PatternBytes(size, random()), false, false);
      if (HasFatalFailure()) return;
    }
  }
}

// Past the pieces in which files are read and written (one MiB) and the window in
// which an encrypted file is held.
TEST_F(RoundTripPropertyTest, LargeDataCrossesTheReadAndWritePieces) {
  UseRandomKey(16);
  RoundTrip(PatternBytes((size_t{1} << 20) + 4001 * 3 + 5, random()), true, true);
  UseRandomKey(256);
  RoundTrip(PatternBytes((size_t{3} << 20) + 77, random()), true, false);
  UseRandomKey(1);
  RoundTrip(PatternBytes(300001, random()), false, true);
}

// Keys at the ends of the range: 1 leaves the data as it is, -1 (all bytes 255) is
// its own inverse.
TEST_F(RoundTripPropertyTest, TheIdentityAndMinusOneKeys) {
  for (int n : {1, 16, 256}) {
    for (uint8_t fill : {uint8_t{0}, uint8_t{255}}) {
      TestKey k{std::vector<uint8_t>(static_cast<size_t>(n), fill), {}};
      k.pair.back() = fill == 0 ? 1 : 255;
      k.pal = InverseModBlock(k.pair);
      EXPECT_EQ(k.pal, k.pair);
      key = k;
      InstallKey(s, key);
      RoundTrip(PatternBytes(5003, random()), true, true);
    }
  }
}

}  // namespace
}  // namespace marrowlock
