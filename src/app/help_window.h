// SPDX-License-Identifier: MIT
#pragma once

#include "state/keys.h"
#include "state/program_state.h"

namespace marrowlock {

// F1 and Help > Read Helpfile: creates the help window on first use (reading the
// help text once) and shows it.
void ShowHelp(ProgramState& s);
// Reads the help text into MLHelp's Text1; reports a missing, empty or unreadable
// help file, leaves Text1 empty and returns false.
bool LoadHelpText(ProgramState& s);
// A key press on the help window: Alt+X hides it, and so does Escape, unless a long
// command runs: then Escape abandons that run. Returns whether the key was used.
bool HelpKeyPressed(ProgramState& s, const KeyPress& key);
// The user closed the help window through the window system.
void HelpWindowClosed(ProgramState& s);

}  // namespace marrowlock
