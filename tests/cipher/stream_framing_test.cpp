// SPDX-License-Identifier: MIT
#include "cipher/stream_framing.h"

#include <gtest/gtest.h>

#include "support/test_key.h"

namespace marrowlock {
namespace {

// The blocks of a source framed as a stream: whole blocks as they come, then the
// last one completed at the end.
std::string StreamFraming(const std::string& data, int n) {
  const size_t whole = data.size() / static_cast<size_t>(n) * static_cast<size_t>(n);
  std::string out = data.substr(0, whole);
  std::string last(static_cast<size_t>(n), '?');
  if (FinalPlainBlock(std::string_view(data).substr(whole), static_cast<int64_t>(data.size()), n,
                      reinterpret_cast<uint8_t*>(last.data()))) {
    out += last;
  }
  return out;
}

TEST(StreamFramingTest, GivesTheBlocksOfABinarySourceOfEveryLength) {
  for (int n : {1, 2, 4, 8, 16, 256}) {
    // Every length up to three chunks and a bit, which passes every case of the
    // last block for every N (the carried bytes repeat with a period dividing N).
    const std::string data = PatternBytes(3 * 4001 + 2 * 256 + 3, static_cast<unsigned>(n));
    for (size_t length = 0; length <= data.size(); ++length) {
      const std::string source = data.substr(0, length);
      ASSERT_EQ(StreamFraming(source, n), ReferenceFraming(source, n, true))
          << "N = " << n << ", " << length << " bytes";
    }
  }
}

}  // namespace
}  // namespace marrowlock
