#pragma once

#include "state/program_state.h"

namespace marrowlock {

// Takes the next N-byte block of the data being encrypted into PlainBlock,
// refilling SourceText from the source file in binary mode and padding the last block.
void ReadPlainBlock(ProgramState& s);

// Appends the next `count` bytes of the open source file (SourceFileNumber) to
// `out`, reading the file in large pieces through SourceReadAhead. A file that ends
// early is a FileError.
void ReadSourceChunk(ProgramState& s, int64_t count, std::string& out);

// Takes the next N-byte block of the data being decrypted into CipherBlock; returns
// false, after reporting a damaged file when two or more bytes are left, when fewer
// than N bytes remain (and then sets InputDamaged when any byte is left over).
// SourceText holds the encrypted bytes from offset SourceTextStart on.
bool ReadCipherBlock(ProgramState& s);

}  // namespace marrowlock
