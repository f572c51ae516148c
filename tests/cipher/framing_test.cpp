// SPDX-License-Identifier: MIT
#include "cipher/framing.h"

#include <gtest/gtest.h>

#include "support/test_key.h"

namespace marrowlock {
namespace {

// The blocks of a source: whole blocks as they come, then the last one completed.
std::string Framed(SourceKind kind, const std::string& data, int n) {
  const size_t whole = data.size() / static_cast<size_t>(n) * static_cast<size_t>(n);
  std::string out = data.substr(0, whole);
  std::string last(static_cast<size_t>(n), '?');
  if (FinalPlainBlock(kind, std::string_view(data).substr(whole), static_cast<int64_t>(data.size()),
                      n, reinterpret_cast<uint8_t*>(last.data()))) {
    out += last;
  }
  return out;
}

TEST(FramingTest, GivesTheBlocksOfAFileOfEveryLength) {
  for (int n : {1, 2, 4, 8, 16, 256}) {
    // Every length up to three chunks and a bit, which passes every case of the
    // last block for every N (the carried bytes repeat with a period dividing N).
    const std::string data = PatternBytes(3 * 4001 + 2 * 256 + 3, static_cast<unsigned>(n));
    for (size_t length = 0; length <= data.size(); ++length) {
      const std::string source = data.substr(0, length);
      ASSERT_EQ(Framed(SourceKind::kFile, source, n), ReferenceFraming(source, n, true))
          << "N = " << n << ", " << length << " bytes";
    }
  }
}

TEST(FramingTest, TheCasesOfAFileWithBlocksOfSixteen) {
  // Two whole chunks: the last block is 2 bytes, a space and zeros.
  std::string data = PatternBytes(8002, 1);
  EXPECT_EQ(Framed(SourceKind::kFile, data, 16).substr(8000),
            data.substr(8000, 2) + " " + std::string(13, '\0'));
  // 1 byte carried over and a final chunk of 3: the last block is filled with spaces.
  data = PatternBytes(4004, 2);
  EXPECT_EQ(Framed(SourceKind::kFile, data, 16).substr(4000),
            data.substr(4000) + std::string(12, ' '));
  // 1 carried byte and a final chunk of 20: a whole block, then 5 bytes, a space, zeros.
  data = PatternBytes(4021, 3);
  EXPECT_EQ(Framed(SourceKind::kFile, data, 16).substr(4016),
            data.substr(4016) + " " + std::string(10, '\0'));
  // An empty file gives one block of padding.
  EXPECT_EQ(Framed(SourceKind::kFile, "", 16), " " + std::string(15, '\0'));
  EXPECT_EQ(Framed(SourceKind::kFile, "", 1), " ");
}

TEST(FramingTest, TextIsCutEveryNBytesAndOnlyAShortLastBlockIsPadded) {
  EXPECT_EQ(Framed(SourceKind::kText, std::string(32, 'a'), 16), std::string(32, 'a'));
  EXPECT_EQ(Framed(SourceKind::kText, std::string(32, 'a') + "xyz", 16),
            std::string(32, 'a') + "xyz " + std::string(12, '\0'));
  EXPECT_EQ(Framed(SourceKind::kText, std::string(15, 'b'), 16), std::string(15, 'b') + " ");
  EXPECT_EQ(Framed(SourceKind::kText, "abc", 1), "abc");
  // A text never gets the spaces of a file's final chunk, however long it is.
  const std::string text = PatternBytes(4004, 4);
  EXPECT_EQ(Framed(SourceKind::kText, text, 16), ReferenceFraming(text, 16, false));
  EXPECT_NE(Framed(SourceKind::kText, text, 16), Framed(SourceKind::kFile, text, 16));
}

}  // namespace
}  // namespace marrowlock
