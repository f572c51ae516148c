#pragma once

#include "app/program_state.h"

namespace marrowlock {

// Takes the next N-byte block of the data being encrypted into PlainBlock,
// refilling SourceText from the source file in binary mode and padding the last block.
void ReadPlainBlock(ProgramState& s);

// Takes the next N-byte block of the data being decrypted into CipherBlock; returns
// false, after reporting a damaged file when two or more bytes are left, when fewer
// than N bytes remain.
bool ReadCipherBlock(ProgramState& s);

}  // namespace marrowlock
