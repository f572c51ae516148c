// SPDX-License-Identifier: MIT
#include "cipher/stream_transform.h"

#include <condition_variable>
#include <cstring>
#include <exception>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "cipher/stream_framing.h"
#include "platform/writeback.h"

namespace marrowlock {
namespace {

// A multiple of every block length.
constexpr size_t kBufferBytes = size_t{1} << 20;

}  // namespace

// One stream's state, shared by the threads that work on it.
struct StreamTransform::Stream {
  Stream(Direction d, const BlockMultiplier& m, File& i, File& o, std::atomic<int64_t>& p)
      : direction(d), multiplier(m), in(i), out(o), progress(p) {}

  Direction direction;
  const BlockMultiplier& multiplier;
  File& in;
  File& out;
  std::atomic<int64_t>& progress;

  // Reading, one thread at a time: the bytes read after the last whole block, for the
  // next buffer; whether the end was reached; the turn of the next buffer read.
  std::mutex read_mutex;
  std::string carry;
  bool at_end = false;
  uint64_t next_read = 0;
  StreamOutcome outcome;

  // Writing, in the order of reading: the turn of the next buffer to write, and the
  // bytes written so far. A failure ends every thread's work.
  std::mutex write_mutex;
  std::condition_variable write_turn;
  uint64_t next_write = 0;
  int64_t written = 0;
  std::atomic<bool> failed{false};
  std::exception_ptr failure;

  void Fail() {
    std::lock_guard<std::mutex> lock(write_mutex);
    if (!failed) failure = std::current_exception();
    failed = true;
    write_turn.notify_all();
  }
};

StreamTransform::StreamTransform(int threads)
    : buffers_(static_cast<size_t>(std::max(1, threads))) {}

StreamTransform::~StreamTransform() = default;

// Fills `buffer` with the bytes carried over and what the stream gives next, up to a
// full buffer or the end, keeping whole blocks only; at the end an encryption
// completes the last block and a decryption counts what is left over. False when
// there is nothing more to work on.
bool StreamTransform::ReadNext(Stream& s, Buffer& buffer, uint64_t* turn) {
  std::lock_guard<std::mutex> lock(s.read_mutex);
  if (s.at_end || s.failed) return false;
  const size_t n = static_cast<size_t>(s.multiplier.BlockLength());
  const size_t room = kBufferBytes + n;
  if (buffer.capacity < room) {
    buffer.bytes.reset(new uint8_t[room]);
    buffer.capacity = room;
  }
  uint8_t* bytes = buffer.bytes.get();
  std::memcpy(bytes, s.carry.data(), s.carry.size());
  buffer.size = s.carry.size();
  while (!s.at_end && buffer.size < kBufferBytes) {
    const int64_t got = s.in.ReadSome(reinterpret_cast<char*>(bytes + buffer.size),
                                      static_cast<int64_t>(kBufferBytes - buffer.size));
    if (got == 0) {
      s.at_end = true;
    } else {
      buffer.size += static_cast<size_t>(got);
      s.outcome.bytes_read += got;
      s.progress += got;
    }
  }
  const size_t whole = buffer.size / n * n;
  s.carry.assign(reinterpret_cast<const char*>(bytes) + whole, buffer.size - whole);
  buffer.size = whole;
  if (s.at_end) {
    if (s.direction == Direction::kEncrypt) {
      if (FinalPlainBlock(s.carry, s.outcome.bytes_read, static_cast<int>(n), bytes + whole)) {
        buffer.size += n;
      }
    } else {
      s.outcome.left_over = static_cast<int64_t>(s.carry.size());
    }
    s.carry.clear();
  }
  if (buffer.size == 0) return false;
  *turn = s.next_read++;
  return true;
}

// Multiplies the buffer's blocks, waits for its turn and writes them. The disk is
// asked to take them at once: an output is synced before it takes its name, and by
// then most of it is written.
void StreamTransform::MultiplyAndWrite(Stream& s, Buffer& buffer, uint64_t turn) {
  const size_t n = static_cast<size_t>(s.multiplier.BlockLength());
  s.multiplier.Apply(buffer.bytes.get(), buffer.size / n);
  {
    std::unique_lock<std::mutex> lock(s.write_mutex);
    s.write_turn.wait(lock, [&] { return s.next_write == turn || s.failed; });
    if (s.failed) return;
  }
  s.out.Write(std::string_view(reinterpret_cast<const char*>(buffer.bytes.get()), buffer.size));
  StartWriteback(s.out, s.written, static_cast<int64_t>(buffer.size));
  s.written += static_cast<int64_t>(buffer.size);
  {
    std::lock_guard<std::mutex> lock(s.write_mutex);
    ++s.next_write;
  }
  s.write_turn.notify_all();
}

void StreamTransform::Work(Stream& s, Buffer& buffer) {
  try {
    uint64_t turn;
    while (ReadNext(s, buffer, &turn)) MultiplyAndWrite(s, buffer, turn);
  } catch (...) {
    s.Fail();
  }
}

StreamOutcome StreamTransform::Run(Direction direction, const BlockMultiplier& multiplier, File& in,
                                   File& out, std::atomic<int64_t>& progress) {
  Stream s(direction, multiplier, in, out, progress);
  // The first buffer is the caller's alone; a stream that ends in it needs no thread.
  uint64_t turn;
  if (!ReadNext(s, buffers_[0], &turn)) return s.outcome;
  if (s.at_end || buffers_.size() == 1) {
    MultiplyAndWrite(s, buffers_[0], turn);
    Work(s, buffers_[0]);
  } else {
    std::vector<std::thread> helpers;
    for (size_t i = 1; i < buffers_.size(); ++i) {
      helpers.emplace_back([&s, this, i] { Work(s, buffers_[i]); });
    }
    try {
      MultiplyAndWrite(s, buffers_[0], turn);
    } catch (...) {
      s.Fail();
    }
    Work(s, buffers_[0]);
    for (std::thread& helper : helpers) helper.join();
  }
  if (s.failure) std::rethrow_exception(s.failure);
  return s.outcome;
}

}  // namespace marrowlock
