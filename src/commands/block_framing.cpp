// SPDX-License-Identifier: MIT
#include "commands/block_framing.h"

#include <algorithm>
#include <cstring>

#include "commands/source_reading.h"

namespace marrowlock {
namespace {

// How many full chunks a batch-mode refill takes at most: about a MiB.
constexpr int64_t kBatchChunks = 256;

void EnsureCells(Cells& cells, int n) {
  if (cells.size() < static_cast<size_t>(n)) cells.resize(static_cast<size_t>(n) + 1);
}

}  // namespace

void ReadPlainBlock(ProgramState& s) {
  const int n = s.BlockLength;
  EnsureCells(s.PlainBlock, n);
  const int64_t left = s.SourceLength - s.SourcePos;

  if (left >= n) {
    std::memcpy(s.PlainBlock.data(), s.SourceText.data() + s.SourcePos, static_cast<size_t>(n));
    s.SourcePos += n;
    return;
  }
  if (left < 1 && !(left == 0 && s.BinaryMode)) return;

  if (!s.BinaryMode || s.ChunksRead >= s.ChunkCount) {
    // The last, short block: the data, one space, then zero bytes.
    std::memcpy(s.PlainBlock.data(), s.SourceText.data() + s.SourcePos, static_cast<size_t>(left));
    s.PlainBlock[static_cast<size_t>(left)] = ' ';
    std::fill(s.PlainBlock.begin() + left + 1, s.PlainBlock.begin() + n, uint8_t{0});
    s.SourcePos = s.SourceLength;
    return;
  }

  // Refill: the unconsumed bytes are joined to the next chunk of the source file.
  int64_t chunks = 1;
  if (s.ChunksRead == s.ChunkCount - 1) {
    s.NextChunkSize = s.LastChunkSize != 0 ? s.LastChunkSize : s.FullChunkSize;
  } else if (s.BatchMode) {
    // Nothing shows progress in batch mode, so several full chunks may come at once,
    // giving the block loop long runs to share between threads. The blocks are the
    // same: only the final chunk's joining decides a padding, and it still comes alone.
    chunks = std::min(kBatchChunks, s.ChunkCount - 1 - s.ChunksRead);
  }
  s.SourceText.erase(0, static_cast<size_t>(s.SourcePos));
  ReadSourceChunk(s, chunks * s.NextChunkSize, s.SourceText);
  // The chunk passed through BinaryData as its read buffer, which is left empty.
  s.BinaryData.clear();
  s.ChunksRead += chunks;
  s.SourceLength = static_cast<int64_t>(s.SourceText.size());
  s.SourcePos = 0;

  // When the carried bytes and the final chunk make less than a block, the block is
  // completed with spaces only.
  const int64_t have = std::min<int64_t>(s.SourceLength, n);
  std::memcpy(s.PlainBlock.data(), s.SourceText.data(), static_cast<size_t>(have));
  std::fill(s.PlainBlock.begin() + have, s.PlainBlock.begin() + n, uint8_t{' '});
  s.SourcePos = n;
}

bool ReadCipherBlock(ProgramState& s) {
  const int n = s.BlockLength;
  const int64_t left = s.CipherLength - s.CipherPos;
  if (left >= n) {
    EnsureCells(s.CipherBlock, n);
    std::memcpy(s.CipherBlock.data(), s.SourceText.data() + (s.CipherPos - s.SourceTextStart),
                static_cast<size_t>(n));
    s.CipherPos += n;
    return true;
  }
  // One stray byte is ignored silently; two or more mean the file lost part of a block.
  if (left >= 2) {
    s.InputDamaged = true;
    s.platform.MessageBox("File was damaged, exiting");
  }
  return false;
}

}  // namespace marrowlock
