#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <string_view>

namespace marrowlock {

// The window shows byte strings as characters of the program's code page. Line
// breaks (CR LF, a lone CR, a lone LF) are shown as line breaks; a NUL byte as
// the symbol U+2400, so that it is visible and comes back as NUL.
//
// `after_cr` says that the text this one continues ended with CR, so that a
// leading LF belongs to that line break and is not shown again.
QString BytesToDisplay(std::string_view bytes, bool after_cr = false);

// The bytes of text the user typed: each line break (LF, U+2028, U+2029) becomes
// CR LF, every other character its byte. A character without a byte becomes '?'
// and sets *lossy.
std::string DisplayToBytes(const QString& text, bool* lossy);

// Captions and messages: they mostly hold file names, which are UTF-8 on this
// system; bytes that are not valid UTF-8 are shown through the code page.
QString CaptionText(std::string_view bytes);

// A file name as the file system takes it, and back.
std::string PathBytes(const QString& path);
QString PathText(std::string_view bytes);

// Turns a filter string of "description|patterns" pairs into Qt name filters.
// "*.*" matches every file; the pattern "*." (names without an extension) has no
// Qt form and is left out.
QStringList ToNameFilters(const std::string& filter);

}  // namespace marrowlock
