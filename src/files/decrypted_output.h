// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

#include "state/program_state.h"

namespace marrowlock {

// Writes the decrypted result held in Text1 (text mode) or BinaryData (binary
// mode) under its settled name.
void SaveDecryptedOutput(ProgramState& s);

// Settles the name SaveDecryptedOutput writes to, asking for it when needed, and
// applies the ".dec" and first-letter rules. `source` is DecryptSourceName's copy;
// what is left of it is the file to copy when nothing is held. Nothing when the
// command stops here (a refusal has been shown; in batch mode the program ends).
std::optional<std::string> SettleDecryptedName(ProgramState& s, std::string& source);

// True, after refusing (Refuse) with the reason, when `output` is a file that no
// output may replace: the key file in use, or the encrypted file whose decryption is
// held (DecryptedFrom). Compared by file identity, so that any name of either, or a
// link to it, is refused too.
bool RefuseReplacingInput(ProgramState& s, const std::string& output);

// File > Rename: writes the held result again, or copies the loaded file, under a
// name the user types.
void RenameCommand(ProgramState& s);

}  // namespace marrowlock
