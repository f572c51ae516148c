// SPDX-License-Identifier: MIT
#pragma once

#include "state/program_state.h"

namespace marrowlock {

// The byte-wise block transform over the key tables of ProgramState: the readable
// reference that BlockMultiplier (cipher/block_multiplier.h), which the commands
// use, is checked against by the tests and the fuzz targets.
//
// Mode 0 multiplies PlainBlock by PairKey (encryption), mode 1 multiplies
// CipherBlock by PalKey (decryption); the N low bytes of the product, most
// significant first, are the result. REQUIRES: a key is open (the tables exist).

// Forms the 2N-byte product in ProductCells (only its low half is meaningful).
void MultiplyBlock(ProgramState& s, int mode);
// Copies the low half of ProductCells into CipherBlock (mode 0) or DecryptedBlock (mode 1).
void StoreBlockResult(ProgramState& s, int mode);

}  // namespace marrowlock
