// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

#include "state/program_state.h"

namespace marrowlock {

// Reading the source file of a binary-mode encryption (SourceFileNumber, opened by
// EncryptCommand): a MiB at a time into SourceReadAhead, from which the chunks that
// decide the framing are then cut in memory.

// Appends the next `count` bytes of the open source file (SourceFileNumber) to
// `out`, reading the file in large pieces through SourceReadAhead. A file that ends
// early is a FileError.
void ReadSourceChunk(ProgramState& s, int64_t count, std::string& out);

// While the source file is open, reads its next piece into SourceReadAhead when
// what that holds runs short, so that batch mode can read while other threads
// multiply. Reading past the end is left to ReadSourceChunk to notice.
void ReadSourceAhead(ProgramState& s);

}  // namespace marrowlock
