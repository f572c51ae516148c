#pragma once

#include "state/keys.h"
#include "state/program_state.h"

namespace marrowlock {

// F1 and Help > Read Helpfile: creates the help window on first use (reading the
// help text once) and shows it.
void ShowHelp(ProgramState& s);
// Reads the help text into MLHelp; reports a missing or empty help file.
void LoadHelpText(ProgramState& s);
// A key press on the help window: Alt+X hides it.
void HelpKeyPressed(ProgramState& s, const KeyPress& key);
// The user closed the help window through the window system.
void HelpWindowClosed(ProgramState& s);

}  // namespace marrowlock
