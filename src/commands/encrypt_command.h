// SPDX-License-Identifier: MIT
#pragma once

#include "commands/working_file.h"
#include "state/program_state.h"

namespace marrowlock {

// Encrypts Text1 (text mode) or a file (binary mode) with the open key.
void EncryptCommand(ProgramState& s);
// Gives the finished output `out` its final name: the pending EncryptSourceName, or a
// typed one; false when no name was typed ("Enter a filename."), and the output is
// then dropped.
bool SaveEncryptedOutput(ProgramState& s, WorkingFile& out);

}  // namespace marrowlock
