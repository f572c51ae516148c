// SPDX-License-Identifier: MIT
#pragma once

#include "platform/text_encoding.h"
#include "state/program_state.h"

namespace marrowlock {

// The encoding's name in the menu and the status bar.
constexpr const char* EncodingName(TextEncoding encoding) {
  return encoding == TextEncoding::kUtf8 ? "Unicode (UTF-8)" : "Western (windows-1252)";
}

// Options > Encoding: Text1 is read in windows-1252, or in UTF-8, from now on, until
// the next loaded or decrypted text chooses its own. A text the user has not edited
// keeps its bytes and is shown anew; an edited one keeps its characters, which the
// window writes again in the new encoding.
//
// UTF-8 is refused, with kNotUtf8Message, for an unedited text whose bytes are not
// valid UTF-8: it would show some bytes as U+FFFD, a character that stands for none, and
// the user could not see what a save or an encryption writes.
void UseWindows1252(ProgramState& s);
void UseUtf8(ProgramState& s);

inline constexpr const char* kNotUtf8Message =
    "This text is not valid UTF-8: some of its bytes are no Unicode (UTF-8) character, so it "
    "stays in Western (windows-1252), which shows every byte.";

// A command has put a loaded or decrypted text into Text1: it is shown in the
// encoding ChooseEncoding picks for its bytes (`cut_short`: Text1 holds only the
// beginning of the text), and counts as not edited.
//
// ClearText returns an emptied Text1 to windows-1252, in which new typing starts.
void ChooseText1Encoding(ProgramState& s, bool cut_short = false);

}  // namespace marrowlock
