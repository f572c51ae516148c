// SPDX-License-Identifier: MIT
#include "platform/codepage.h"

#include <array>

namespace marrowlock {
namespace {

// Bytes 0x80..0x9F. The unassigned ones map to the C1 control of the same value.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98..9F
};

}  // namespace

char32_t ByteToCodePoint(unsigned char b) {
  if (b >= 0x80 && b <= 0x9F) return kHighControls[b - 0x80];
  return b;
}

std::optional<unsigned char> CodePointToByte(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
  for (size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == c) return static_cast<unsigned char>(0x80 + i);
  }
  return std::nullopt;
}

std::u32string DecodeBytes(std::string_view bytes) {
  std::u32string text;
  text.reserve(bytes.size());
  for (char b : bytes) text.push_back(ByteToCodePoint(static_cast<unsigned char>(b)));
  return text;
}

std::string EncodeText(std::u32string_view text, bool* lossy) {
  std::string bytes;
  bytes.reserve(text.size());
  for (char32_t c : text) {
    std::optional<unsigned char> b = CodePointToByte(c);
    if (!b) {
      if (lossy) *lossy = true;
      bytes.push_back('?');
      continue;
    }
    bytes.push_back(static_cast<char>(*b));
  }
  return bytes;
}

}  // namespace marrowlock
