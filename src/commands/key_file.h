// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "state/program_state.h"

namespace marrowlock {

// Finds, checks and reads the key file named by PendingKeyFile (or chosen in a
// dialog when it is empty), and makes it the key in force: BlockLength, the six
// tables, KeyLoaded. A refused or failed attempt leaves the previous key in force.
void OpenKeyFile(ProgramState& s);

// Makes `pair` and `pal` (n bytes each) the key in force: BlockLength, the six
// tables created anew with every cell zero, both multipliers, KeyLoaded.
void SetKeyTables(ProgramState& s, const uint8_t* pair, const uint8_t* pal, int n);

// Shows or hides the key display (Label4, Text3, Text4).
void ToggleKeyDisplay(ProgramState& s);

}  // namespace marrowlock
