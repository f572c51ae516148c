// SPDX-License-Identifier: MIT
#pragma once

namespace marrowlock {

// Runs the program with its Qt window: start-up, then the window's event loop.
// Returns the process's exit status. REQUIRES: a display (main checks for one).
int RunDesktop(int argc, char** argv);

}  // namespace marrowlock
