// SPDX-License-Identifier: MIT
#pragma once

#include "state/program_state.h"

namespace marrowlock {

// Encrypts Text1 (text mode) or a file (binary mode) with the open key.
void EncryptCommand(ProgramState& s);
// Gives the finished working file "default.enc" its final name.
void SaveEncryptedOutput(ProgramState& s);

}  // namespace marrowlock
