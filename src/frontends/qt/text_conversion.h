// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <string_view>

#include "app/text_area.h"
#include "platform/text_encoding.h"

namespace marrowlock {

// Qt's forms of the conversions of app/text_area (line breaks as paragraphs).
//
// The characters a text area shows for bytes[from..], the bytes read in `encoding`.
// Line breaks (CR LF, a lone CR, a lone LF) are shown as line breaks, and an LF at
// `from` that completes a CR before it is not shown again; a NUL byte is shown as
// the symbol U+2400, so that it is visible and comes back as NUL.
//
// A long text keeps many of its line breaks inside paragraphs (as U+2028): the text
// widget's cost grows with its paragraphs far more than with its characters, and
// both kinds of break look alike and are typed back as CR LF.
QString TextAreaText(std::string_view bytes, size_t from, TextEncoding encoding);

// The characters shown for a whole byte string.
inline QString BytesToDisplay(std::string_view bytes,
                              TextEncoding encoding = TextEncoding::kWindows1252) {
  return TextAreaText(bytes, 0, encoding);
}

// The bytes of text the user typed, in `encoding`: each line break (LF, U+2028,
// U+2029) becomes `line_break`, U+2400 a NUL byte, every other character its bytes.
// A character that windows-1252 has no byte for becomes '?' and sets *lossy.
std::string DisplayToBytes(const QString& text, TextEncoding encoding, bool* lossy,
                           std::string_view line_break = "\r\n");

// The bytes of a text area after the user changed it: `before` are the bytes it
// showed, read in `encoding`, and `text` the characters it holds now. The characters
// the change left in place keep their bytes, whatever they were (line breaks of any
// kind, bytes that UTF-8 shows as U+FFFD); only the characters between the first and
// the last one that differ are written anew, as DisplayToBytes writes them with the
// text's own line break, so no edit rewrites bytes the user did not touch.
std::string EditedBytes(std::string_view before, const QString& text, TextEncoding encoding,
                        bool* lossy);

// Captions and messages: they mostly hold file names, which are UTF-8 on this
// system; bytes that are not valid UTF-8 are shown through the code page.
QString CaptionText(std::string_view bytes);

// A file name as the file system takes it, and back.
std::string PathBytes(const QString& path);
QString PathText(std::string_view bytes);

// Turns a filter string of "description|patterns" pairs into Qt name filters, each
// pattern shown once: "Key Files (*.mlk)|*.mlk" becomes "Key Files (*.mlk)". "*.*"
// matches every file and is shown as "*"; the pattern "*." (names without an
// extension) has no Qt form and is left out.
QStringList ToNameFilters(const std::string& filter);

}  // namespace marrowlock
