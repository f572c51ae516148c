// SPDX-License-Identifier: MIT
#pragma once

#include "state/program_state.h"

namespace marrowlock {

// Writes the decrypted result held in Text1 (text mode) or BinaryData (binary
// mode) under its settled name.
void SaveDecryptedOutput(ProgramState& s);

// File > Rename: writes the held result again, or copies the loaded file, under a
// name the user types.
void RenameCommand(ProgramState& s);

}  // namespace marrowlock
