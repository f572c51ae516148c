// SPDX-License-Identifier: MIT
#pragma once

namespace marrowlock {

// Exit statuses of the process.
inline constexpr int kExitOk = 0;       // the command ran to its end, or the user chose Exit
inline constexpr int kExitFailure = 1;  // a refusal, a cancel or damaged input
inline constexpr int kExitTrapped = 2;  // an unexpected failure caught by start-up's trap

// Thrown by ExitProgram to end the program at once: it unwinds every command that
// is running (closing their files) to the top level, which ends the process with
// `status`. Nothing else may catch it.
struct ProgramExit {
  int status;
};

}  // namespace marrowlock
