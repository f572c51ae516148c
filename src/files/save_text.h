// SPDX-License-Identifier: MIT
#pragma once

#include "state/program_state.h"

namespace marrowlock {

// Text > Save: writes Text1 to a file chosen in a dialog.
void SaveTextCommand(ProgramState& s);

}  // namespace marrowlock
