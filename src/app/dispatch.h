// SPDX-License-Identifier: MIT
#pragma once

#include "app/command_table.h"
#include "state/keys.h"
#include "state/program_state.h"

namespace marrowlock {

// The three ways the main window starts a command, drawn from the command table.
// Each runs the command's procedure; the BinaryMode menu entry also sets its check
// mark to the new BinaryMode, which nothing else moves.
//
// While a long command runs (CommandRunning), its loop lets these run nested inside
// it; then only the commands marked `while_busy` act: Escape, Exit, help and F5.
//
// A text of Text1 that holds characters the encoding in force has no bytes for
// (Text1Unencodable: windows-1252 only) is not encrypted, saved or written by Rename
// in text mode: the user is told instead, as no byte string would match what the
// window shows.
void OnMenu(ProgramState& s, Command command);
// Returns whether the key matched a row of the keyboard table (matched keys are
// not looked at further, even when the busy guard stops them).
bool OnKey(ProgramState& s, const KeyPress& key);
// `position` is 1..9; any other position does nothing.
void OnToolbar(ProgramState& s, int position);

// The message shown instead of running such a command.
inline constexpr const char* kUnencodableTextMessage =
    "The text holds characters that windows-1252 cannot hold; choose Options > Encoding > "
    "Unicode (UTF-8) to keep them.";

}  // namespace marrowlock
