#include "frontends/cli/stream_cipher.h"

#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "cipher/stream_framing.h"
#include "platform/writeback.h"

namespace marrowlock {
namespace {

// A multiple of every block length.
constexpr size_t kBufferBytes = size_t{1} << 20;

std::string_view Bytes(const std::unique_ptr<uint8_t[]>& bytes, size_t size) {
  return std::string_view(reinterpret_cast<const char*>(bytes.get()), size);
}

}  // namespace

// The state of reading one stream.
struct StreamCipher::Reading {
  Direction direction;
  int n;
  File& in;
  std::atomic<int64_t>& progress;
  std::string carry;  // bytes read after the last whole block, for the next buffer
  bool at_end = false;
  StreamOutcome outcome;
};

StreamCipher::StreamCipher(int threads) : threads_(threads) {}

// Fills `buffer` with the bytes carried over and what the stream gives next, up to
// a full buffer or the end, keeping whole blocks only. At the end an encryption
// completes the last block, and a decryption counts what is left over.
void StreamCipher::Fill(Reading& r, Buffer& buffer) {
  // Room for a full buffer and the last block that an encryption completes.
  const size_t room = kBufferBytes + static_cast<size_t>(r.n);
  if (buffer.capacity < room) {
    buffer.bytes.reset(new uint8_t[room]);
    buffer.capacity = room;
  }
  std::memcpy(buffer.bytes.get(), r.carry.data(), r.carry.size());
  buffer.size = r.carry.size();
  while (!r.at_end && buffer.size < kBufferBytes) {
    const int64_t got = r.in.ReadSome(reinterpret_cast<char*>(buffer.bytes.get() + buffer.size),
                                      static_cast<int64_t>(kBufferBytes - buffer.size));
    if (got == 0) {
      r.at_end = true;
    } else {
      buffer.size += static_cast<size_t>(got);
      r.outcome.bytes_read += got;
      r.progress += got;
    }
  }
  const size_t whole = buffer.size / static_cast<size_t>(r.n) * static_cast<size_t>(r.n);
  r.carry.assign(Bytes(buffer.bytes, buffer.size).substr(whole));
  buffer.size = whole;
  if (!r.at_end) return;
  if (r.direction == Direction::kEncrypt) {
    if (FinalPlainBlock(r.carry, r.outcome.bytes_read, r.n, buffer.bytes.get() + whole)) {
      buffer.size += static_cast<size_t>(r.n);
    }
  } else {
    r.outcome.left_over = static_cast<int64_t>(r.carry.size());
  }
  r.carry.clear();
}

// Writes a buffer's blocks, and has the disk start taking them at once: the output is
// synced before it takes its name, and by then most of it is written.
void StreamCipher::Put(File& out, const Buffer& buffer) {
  out.Write(Bytes(buffer.bytes, buffer.size));
  StartWriteback(out, written_, static_cast<int64_t>(buffer.size));
  written_ += static_cast<int64_t>(buffer.size);
}

StreamOutcome StreamCipher::Run(Direction direction, const BlockMultiplier& multiplier, File& in,
                                File& out, std::atomic<int64_t>& progress) {
  written_ = 0;
  Reading reading{direction, multiplier.BlockLength(), in, progress, {}, false, {}};
  const size_t n = static_cast<size_t>(reading.n);
  Buffer* writing = nullptr;  // multiplied, to be written
  Buffer* current = &buffers_[0];
  Buffer* next = &buffers_[1];
  Buffer* spare = &buffers_[2];
  Fill(reading, *current);
  for (;;) {
    threads_.Start(multiplier, current->bytes.get(), current->size / n);
    // The helpers work on `current` until Finish; whatever fails meanwhile must not
    // leave them working on a buffer that is given up.
    try {
      if (writing != nullptr) Put(out, *writing);
      if (reading.at_end) {
        next->size = 0;
      } else {
        Fill(reading, *next);
      }
    } catch (...) {
      threads_.Finish();
      throw;
    }
    threads_.Finish();
    if (writing != nullptr) spare = writing;
    writing = current;
    if (next->size == 0 && reading.at_end) break;
    current = next;
    next = spare;
  }
  Put(out, *writing);
  return reading.outcome;
}

}  // namespace marrowlock
