// SPDX-License-Identifier: MIT
#pragma once

#include "commands/working_file.h"
#include "state/program_state.h"

namespace marrowlock {

// Encrypts Text1 (text mode) or a file (binary mode) with the open key.
void EncryptCommand(ProgramState& s);
// Gives the finished output `out` its final name: the pending EncryptSourceName, or a
// typed one. Without a name the output stays in the working file "default.enc".
void SaveEncryptedOutput(ProgramState& s, WorkingFile& out);

}  // namespace marrowlock
