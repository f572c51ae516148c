// SPDX-License-Identifier: MIT
#pragma once

#include <cstdio>
#include <string_view>

namespace marrowlock {

// Writes `text`, UTF-8 meant for a person, to `stream` (standard output or standard
// error). On a Windows console it goes as characters (UTF-16, WriteConsoleW), so that
// names outside the console's code page show as they are; anywhere else (a file, a
// pipe, a terminal of a POSIX system) as its bytes, untouched. What `stream` holds is
// flushed first and the text after, and a short text goes in one call, so that
// lines written from several threads stay whole.
void WriteText(std::FILE* stream, std::string_view text);

// Readies `stream`, a terminal, for the control sequence that erases to the end of
// the line ("\033[K"): true when the terminal understands it (a POSIX terminal; a
// Windows console whose virtual-terminal mode could be switched on, until the
// program ends), false when only carriage returns and spaces may redraw a line.
bool TerminalErasesLines(std::FILE* stream);

}  // namespace marrowlock
