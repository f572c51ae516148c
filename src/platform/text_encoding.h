// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace marrowlock {

// The two ways the window reads a text's bytes as characters. Windows-1252 gives
// every byte a character of its own (see codepage.h), so any byte string is a valid
// text in it; UTF-8 gives the characters of every script, a byte string being valid
// only when it follows UTF-8's rules.
enum class TextEncoding { kWindows1252, kUtf8 };

// The encoding a text that came from a file is read in: UTF-8 when its bytes are
// valid UTF-8 and not all ASCII, else windows-1252, which files written by older
// versions of the program always are. `cut_short` says that the bytes are only the
// beginning of the text, so a character cut off at their end is not a fault.
TextEncoding ChooseEncoding(std::string_view bytes, bool cut_short = false);

// Whether every byte of `bytes` belongs to a valid UTF-8 character, so that UTF-8
// shows each of them (ASCII is valid UTF-8). `cut_short` as for ChooseEncoding.
bool IsValidUtf8(std::string_view bytes, bool cut_short = false);

// Reads the character that starts at bytes[*pos] and moves *pos past it.
// REQUIRES: *pos < bytes.size().
// In UTF-8 a byte that does not begin a complete, valid sequence (a stray
// continuation byte, an overlong form, a surrogate, a sequence cut short) stands
// alone for U+FFFD, so every byte of the text is accounted for exactly once.
char32_t DecodeCharacter(std::string_view bytes, size_t* pos, TextEncoding encoding);

// Appends the bytes of `c` to `*bytes`. Returns false, appending '?', when windows-1252
// has no byte for it; UTF-8 takes every character (a lone surrogate, which is not
// one, is written as U+FFFD).
bool AppendCharacter(char32_t c, TextEncoding encoding, std::string* bytes);

// The number of bytes (0 to 3) at the end of `bytes` that begin a UTF-8 sequence
// still missing its last bytes: a text that is still growing may complete it.
size_t IncompleteUtf8Tail(std::string_view bytes);

}  // namespace marrowlock
