// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace marrowlock {

// The single-byte character set of the program's texts: windows-1252, with its
// five unassigned bytes (0x81, 0x8D, 0x8F, 0x90, 0x9D) standing for the control
// characters of the same value, so that every byte maps to a code point and back.

// The code point that byte `b` stands for.
char32_t ByteToCodePoint(unsigned char b);
// The byte that stands for `c`, or nothing when the character set has no such character.
std::optional<unsigned char> CodePointToByte(char32_t c);

// Converts a whole byte string to code points, one per byte.
std::u32string DecodeBytes(std::string_view bytes);

// Converts code points to bytes, one per character. A character without a byte
// becomes '?' and sets `*lossy` (when given); callers that must not lose text
// refuse such a result.
std::string EncodeText(std::u32string_view text, bool* lossy = nullptr);

}  // namespace marrowlock
