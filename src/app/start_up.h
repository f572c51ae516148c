// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

#include "state/program_exit.h"
#include "state/program_state.h"

namespace marrowlock {

// Runs once before the main window is shown: settings (running the setup dialog
// when there are none, except for a batch run given its key with -k, which needs
// none), start values, the pending key, then the command line.
void StartUp(ProgramState& s);

// Runs StartUp inside the error trap. Returns nothing when start-up returned and
// the window should now be shown (unless batch mode); otherwise the status with
// which the process must end (ExitProgram, or an unexpected failure reported as
// two messages).
std::optional<int> RunStartUp(ProgramState& s);

// Numbers that the trap shows for the kinds of failure it catches.
inline constexpr int kMemoryFailureNumber = 7;     // memory ran out
inline constexpr int kInternalFailureNumber = 51;  // a fault inside the program
inline constexpr int kFileFailureNumber = 75;      // a file or folder could not be used

}  // namespace marrowlock
