// SPDX-License-Identifier: MIT
#pragma once

#include "state/program_state.h"

// Encrypted file layout (".enc"): the encrypted
// blocks back to back, nothing else: no header, no length, no key or mode marker,
// no checksum.
//   offset 0         N bytes  block 0 multiplied by Pair modulo 256^N, big-endian
//   offset N         N bytes  block 1
//   ...
//   offset (K-1)*N   N bytes  block K-1                  (the file is K*N bytes)
// Plain block k is source bytes k*N .. k*N+N-1. A source whose length is not a
// multiple of N gets one last, short block completed here: with a space and zero
// bytes, or with spaces only when it was formed right after the final chunk of a
// binary-mode source was joined to the bytes carried over. No block is added to a
// source of whole blocks; an empty binary-mode source gives one block of padding.
// Decryption gives the plain blocks back, padding included: a decrypted file is as
// long as the encrypted one. A file whose length is not a multiple of N is damaged;
// its whole blocks are decrypted and the rest is dropped.

namespace marrowlock {

// Takes the next N-byte block of the data being encrypted into PlainBlock,
// refilling SourceText from the source file in binary mode and padding the last block.
void ReadPlainBlock(ProgramState& s);

// Takes the next N-byte block of the data being decrypted into CipherBlock; returns
// false when fewer than N bytes remain. Two or more bytes left over mean a damaged
// file: it is reported and InputDamaged is set. A single stray byte is ignored.
// SourceText holds the encrypted bytes from offset SourceTextStart on.
bool ReadCipherBlock(ProgramState& s);

}  // namespace marrowlock
