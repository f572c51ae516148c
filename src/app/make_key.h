// SPDX-License-Identifier: MIT
#pragma once

#include "state/program_state.h"

namespace marrowlock {

// "Make a new key…": asks for a name and a block length (16 bytes unless the user
// picks another of kBlockLengths), then writes a new key file of that name, as
// marrowlock-keygen does: readable by its owner only, never over an existing file.
// A name without the ".mlk" extension gets it. A name that is no bare file name, a
// length a key cannot have, or a file that cannot be written is refused with a
// message, and nothing is written.

// The setup dialog's button: the key goes into the folder the dialog shows, and is
// then the selected entry of its file list.
void MakeKeyInSetupDialog(ProgramState& s);

// Key > Make a new key…: the key goes into the key folder (the working directory
// while none is set) and is opened as the key in force.
void MakeNewKeyCommand(ProgramState& s);

}  // namespace marrowlock
