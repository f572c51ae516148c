#pragma once

#include <string>

#include "app/program_state.h"

namespace marrowlock {

// The arguments joined with single blanks: the one text the command line is parsed from.
std::string JoinArguments(int argc, char** argv);

// Parses ProgramState::CommandLineText and runs at most one command on the file it names.
void RunCommandLine(ProgramState& s);

}  // namespace marrowlock
