// SPDX-License-Identifier: MIT
#pragma once

#include "state/program_state.h"

namespace marrowlock {

// Decrypts an encrypted file with the open key into Text1 or BinaryData, then
// saves the result under its final name.
void DecryptCommand(ProgramState& s);

}  // namespace marrowlock
