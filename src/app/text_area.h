// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

#include "platform/text_encoding.h"

namespace marrowlock {

// How a window's text area holds a line break. Every front end shows a text's bytes
// as UTF-16 characters and writes what the user typed back as bytes; they differ
// only in how a line break looks inside the widget.
enum class AreaBreaks {
  // One unit: '\n' starts a new paragraph. Texts from 512 KiB on keep most of their
  // breaks inside paragraphs (U+2028), since a text widget's cost grows with its
  // paragraphs far more than with its characters (Qt's text areas).
  kParagraphs,
  // Two units, CR LF, whatever kind of break the bytes hold (a Windows edit control).
  kCrLf,
};

// The characters a text area shows for bytes[from..], the bytes read in `encoding`.
// Line breaks (CR LF, a lone CR, a lone LF) are shown as `breaks` says, and an LF at
// `from` that completes a CR before it is not shown again; a NUL byte is shown as
// the symbol U+2400, so that it is visible and comes back as NUL.
std::u16string AreaText(std::string_view bytes, size_t from, TextEncoding encoding,
                        AreaBreaks breaks);

// The bytes of text the user typed, in `encoding`: each line break (CR LF, a lone CR
// or LF, U+2028, U+2029) becomes `line_break`, U+2400 a NUL byte, every other
// character its bytes. A character that windows-1252 has no byte for becomes '?' and
// sets *lossy.
std::string AreaBytes(std::u16string_view text, TextEncoding encoding, bool* lossy,
                      std::string_view line_break = "\r\n");

// The line break a text uses, which lines typed into it get too: its first one (CR
// LF, LF or a lone CR); CR LF for a text without any.
std::string_view LineBreakOf(std::string_view bytes);

// The bytes of a text area after the user changed it: `before` are the bytes it
// showed, read in `encoding`, and `text` the characters it holds now. The characters
// the change left in place keep their bytes, whatever they were (line breaks of any
// kind, bytes that UTF-8 shows as U+FFFD); only the characters between the first and
// the last one that differ are written anew, as AreaBytes writes them with the
// text's own line break, so no edit rewrites bytes the user did not touch.
std::string EditedAreaBytes(std::string_view before, std::u16string_view text,
                            TextEncoding encoding, AreaBreaks breaks, bool* lossy);

}  // namespace marrowlock
