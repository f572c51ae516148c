// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string_view>

// The encrypted file layout (".enc"): the encrypted blocks back to back, nothing
// else: no header, no length, no key or mode marker, no checksum.
//   offset 0         N bytes  block 0 multiplied by Pair modulo 256^N, big-endian
//   offset N         N bytes  block 1
//   ...
//   offset (K-1)*N   N bytes  block K-1                  (the file is K*N bytes)
// Plain block k is source bytes k*N .. k*N+N-1. A source whose length is not a
// multiple of N gets one last, short block, completed as FinalPlainBlock says; no
// block is added to a source of whole blocks, and an empty file gives one block of
// padding. Decryption gives the plain blocks back, padding included: a decrypted
// file is as long as the encrypted one. A file whose length is not a multiple of N
// is damaged; its whole blocks are decrypted and the rest is dropped.

namespace marrowlock {

// The chunk size a file source is measured in: where the source's length falls
// among chunks of this size decides how its last block is completed, so every
// encrypted file depends on it.
inline constexpr int64_t kChunkSize = 4001;

// What is being encrypted, which decides how its last block is completed.
enum class SourceKind {
  kText,  // a text typed or loaded into the window
  kFile,  // a file, or a stream such as a pipe
};

// Completes the last block of a source of `total` bytes, whose last total % n bytes
// are `tail`, into `block` (n bytes):
//   - a text's last block gets one space and then zero bytes;
//   - a file's last block gets spaces only when the file has more than one chunk and
//     its final chunk (the last total % kChunkSize bytes, a whole chunk when that is
//     0), joined to the bytes carried over from the chunk before, makes less than a
//     block; otherwise one space and then zero bytes. An empty file gets a block of
//     that padding alone.
// Returns false, writing nothing, when there is no short last block: the source
// ends on a block boundary (and is not an empty file).
// REQUIRES: tail.size() == total % n.
bool FinalPlainBlock(SourceKind kind, std::string_view tail, int64_t total, int n, uint8_t* block);

}  // namespace marrowlock
