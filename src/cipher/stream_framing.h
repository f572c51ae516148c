// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string_view>

namespace marrowlock {

// Framing of a source whose length is known only at its end, such as a pipe. Its
// whole blocks are cut as they come; once the end is reached, FinalPlainBlock
// completes the last, short block. Together they give exactly the plain blocks that
// ReadPlainBlock gives for a binary-mode file of the same bytes, whose framing
// depends on how its length falls into chunks:
//
//   - a source of whole blocks (and at least one byte) gets no further block;
//   - the last block is completed with spaces only when the source has more than
//     one chunk and the whole final chunk, joined to the bytes carried over from the
//     chunk before, makes less than a block;
//   - otherwise (an empty source included) with one space and then zero bytes.

// The chunk size binary-mode encryption reads its source in (ProgramState's ChunkSize).
inline constexpr int64_t kSourceChunkSize = 4001;

// Completes the last block of a source of `total` bytes, whose last total % n bytes
// are `tail`, into `block` (n bytes). Returns false, writing nothing, when the source
// ends on a block boundary and so has no short last block.
// REQUIRES: tail.size() == total % n.
bool FinalPlainBlock(std::string_view tail, int64_t total, int n, uint8_t* block);

}  // namespace marrowlock
