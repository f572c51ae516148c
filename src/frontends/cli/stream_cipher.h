#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "cipher/block_multiplier.h"
#include "cipher/parallel_transform.h"
#include "frontends/cli/cli_options.h"
#include "platform/file_system.h"

namespace marrowlock {

// How a stream's work ended.
struct StreamOutcome {
  int64_t bytes_read = 0;
  // Decryption: the bytes after the last whole block, which a complete encrypted
  // file never has (they are dropped, as marrowlock drops them).
  int64_t left_over = 0;
};

// Encrypts or decrypts whatever a File delivers, to the end, into another File, in
// constant memory (three buffers of a MiB). The bytes written are those that
// marrowlock's batch mode writes for a file of the same bytes: the blocks framed
// alike, the last one completed alike, although the length is known only at the
// end. Reading, multiplying and writing overlap: while the blocks of one buffer are
// multiplied, the one before is written and the next read.
//
// One StreamCipher serves one thread, for any number of streams one after the other.
class StreamCipher {
 public:
  // `threads` share the multiplying of each buffer (counting the caller).
  explicit StreamCipher(int threads);

  // `multiplier` holds Pair to encrypt, Pal to decrypt. Every byte read is added to
  // `progress`. Throws FileError when reading or writing fails.
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
  struct Reading;
  void Fill(Reading& reading, Buffer& buffer);
  void Put(File& out, const Buffer& buffer);

  ParallelTransform threads_;
  std::array<Buffer, 3> buffers_;
  int64_t written_ = 0;  // bytes of the current stream written so far
};

}  // namespace marrowlock
