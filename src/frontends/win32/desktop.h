// SPDX-License-Identifier: MIT
#pragma once

namespace marrowlock {

// Runs the program with its window on the command line `argv` (UTF-8) until the
// user ends it; returns the exit status.
int RunWindows(int argc, char** argv);

}  // namespace marrowlock
