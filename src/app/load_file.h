// SPDX-License-Identifier: MIT
#pragma once

#include "state/program_state.h"

namespace marrowlock {

// File > Load: shows a file in Text1 (text mode) or selects it as the next
// encryption's source (binary mode).
void LoadFile(ProgramState& s);

}  // namespace marrowlock
