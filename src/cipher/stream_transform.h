// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "cipher/block_multiplier.h"
#include "platform/file_system.h"

namespace marrowlock {

enum class Direction { kEncrypt, kDecrypt };

// How a stream's work ended.
struct StreamOutcome {
  int64_t bytes_read = 0;
  // Decryption: the bytes after the last whole block, which a complete encrypted
  // file never has (they are dropped, as marrowlock drops them).
  int64_t left_over = 0;
};

// Encrypts or decrypts whatever a File delivers, to its end, into another File, in
// constant memory (a buffer of a MiB per thread). The bytes written are those that
// batch mode writes for a file of the same bytes: the blocks framed alike and the
// last one completed alike (stream_framing.h), although the length is known only at
// the end.
//
// The threads take the stream a buffer at a time, in turn: each reads its buffer
// (one reader at a time, in order), multiplies it, and writes it when the buffers
// read before it are written. A buffer stays with one thread from reading to
// writing, so its bytes never travel between processors' caches, and one thread
// reads or writes while the others multiply.
//
// One StreamTransform serves one caller, for any number of streams one after the other.
class StreamTransform {
 public:
  // `threads` work on each stream (counting the caller); a stream that fits in one
  // buffer is done by the caller alone.
  explicit StreamTransform(int threads);
  ~StreamTransform();
  StreamTransform(const StreamTransform&) = delete;
  StreamTransform& operator=(const StreamTransform&) = delete;

  // `multiplier` holds Pair to encrypt, Pal to decrypt. Every byte read is added to
  // `progress`. Throws FileError when reading or writing fails; what was written
  // by then is in `out`.
  StreamOutcome Run(Direction direction, const BlockMultiplier& multiplier, File& in, File& out,
                    std::atomic<int64_t>& progress);

 private:
  // Memory that is only reserved until used, so that a small file touches a page or
  // two of it, however many files run at once.
  struct Buffer {
    std::unique_ptr<uint8_t[]> bytes;
    size_t capacity = 0;
    size_t size = 0;
  };
  struct Stream;
  static bool ReadNext(Stream& stream, Buffer& buffer, uint64_t* turn);
  static void MultiplyAndWrite(Stream& stream, Buffer& buffer, uint64_t turn);
  static void Work(Stream& stream, Buffer& buffer);

  std::vector<Buffer> buffers_;  // one per thread
};

}  // namespace marrowlock
