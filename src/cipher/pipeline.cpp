// SPDX-License-Identifier: MIT
#include "cipher/pipeline.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <mutex>
#include <string>
#include <thread>

#include "platform/writeback.h"

namespace marrowlock {
namespace {

// A multiple of every block length and of the window's flush step.
constexpr size_t kBufferBytes = size_t{1} << 20;

}  // namespace

int64_t FileSource::ReadSome(char* bytes, int64_t count) {
  if (!left_) return file_.ReadSome(bytes, count);
  if (*left_ == 0) return 0;
  const int64_t got = file_.ReadSome(bytes, std::min(count, *left_));
  if (got == 0) throw FileError("read", file_.Path(), "The file ended early");
  *left_ -= got;
  return got;
}

int64_t MemorySource::ReadSome(char* bytes, int64_t count) {
  const size_t take = std::min(bytes_.size(), static_cast<size_t>(count));
  std::memcpy(bytes, bytes_.data(), take);
  bytes_.remove_prefix(take);
  return static_cast<int64_t>(take);
}

void FileSink::Write(std::string_view bytes) {
  file_.Write(bytes);
  StartWriteback(file_, written_, static_cast<int64_t>(bytes.size()));
  written_ += static_cast<int64_t>(bytes.size());
}

// One run's state, shared by the threads that work on it.
struct Pipeline::Flow {
  explicit Flow(const PipelineJob& j)
      : job(j), n(static_cast<size_t>(j.multiplier->BlockLength())) {}

  const PipelineJob& job;
  const size_t n;

  // Reading, one thread at a time: the bytes read after the last whole block, for the
  // next buffer; whether the end was reached; the turn of the next buffer read and
  // where its output goes.
  std::mutex read_mutex;
  std::string carry;
  bool at_end = false;
  uint64_t next_read = 0;
  int64_t out_offset = 0;
  RunOutcome outcome;

  // Writing, in the order of reading. A failure, or the pacing's stop, ends every
  // thread's work.
  std::mutex write_mutex;
  std::condition_variable write_turn;
  uint64_t next_write = 0;
  std::atomic<bool> stopped{false};
  std::exception_ptr failure;

  void Fail() {
    std::lock_guard<std::mutex> lock(write_mutex);
    if (!stopped) failure = std::current_exception();
    stopped = true;
    write_turn.notify_all();
  }
};

Pipeline::Pipeline(int threads) : buffers_(static_cast<size_t>(std::max(1, threads))) {}

Pipeline::~Pipeline() = default;

// Fills `buffer` with the bytes carried over and what the source gives next, up to a
// full buffer or the end, keeping whole blocks only; at the end an encryption
// completes the last block and a decryption counts what is left over. False when
// there is nothing more to work on.
bool Pipeline::ReadNext(Flow& f, Buffer& buffer, uint64_t* turn) {
  std::lock_guard<std::mutex> lock(f.read_mutex);
  if (f.at_end || f.stopped) return false;
  const size_t n = f.n;
  const size_t room = kBufferBytes + n;
  if (buffer.capacity < room) {
    buffer.bytes.reset(new uint8_t[room]);
    buffer.capacity = room;
  }
  uint8_t* bytes = buffer.bytes.get();
  std::memcpy(bytes, f.carry.data(), f.carry.size());
  buffer.size = f.carry.size();
  while (!f.at_end && buffer.size < kBufferBytes) {
    const int64_t got = f.job.in->ReadSome(reinterpret_cast<char*>(bytes + buffer.size),
                                           static_cast<int64_t>(kBufferBytes - buffer.size));
    if (got == 0) {
      f.at_end = true;
    } else {
      buffer.size += static_cast<size_t>(got);
      f.outcome.bytes_read += got;
      if (f.job.progress) *f.job.progress += got;
    }
  }
  const size_t whole = buffer.size / n * n;
  f.carry.assign(reinterpret_cast<const char*>(bytes) + whole, buffer.size - whole);
  buffer.size = whole;
  if (f.at_end) {
    if (f.job.direction == Direction::kEncrypt) {
      if (FinalPlainBlock(f.job.source_kind, f.carry, f.outcome.bytes_read, static_cast<int>(n),
                          bytes + whole)) {
        buffer.size += n;
      }
    } else {
      f.outcome.left_over = static_cast<int64_t>(f.carry.size());
    }
    f.carry.clear();
  }
  if (buffer.size == 0) return false;
  buffer.out_offset = f.out_offset;
  buffer.read_end = f.outcome.bytes_read;
  f.out_offset += static_cast<int64_t>(buffer.size);
  *turn = f.next_read++;
  return true;
}

// Multiplies the buffer's blocks, waits for its turn and writes them.
void Pipeline::MultiplyAndWrite(Flow& f, Buffer& buffer, uint64_t turn) {
  f.job.multiplier->Apply(buffer.bytes.get(), buffer.size / f.n);
  {
    std::unique_lock<std::mutex> lock(f.write_mutex);
    f.write_turn.wait(lock, [&] { return f.next_write == turn || f.stopped; });
    if (f.stopped) return;
  }
  f.job.out->Write(
      std::string_view(reinterpret_cast<const char*>(buffer.bytes.get()), buffer.size));
  {
    std::lock_guard<std::mutex> lock(f.write_mutex);
    ++f.next_write;
  }
  f.write_turn.notify_all();
}

// The caller alone, a step at a time: each step is multiplied, shown to the pacing,
// and written only if the pacing lets the run go on.
void Pipeline::PacedMultiplyAndWrite(Flow& f, Buffer& buffer) {
  Pacing& pacing = *f.job.pacing;
  const size_t step = static_cast<size_t>(pacing.StepBytes());
  uint8_t* bytes = buffer.bytes.get();
  for (size_t at = 0; at < buffer.size; at += step) {
    const size_t size = std::min(step, buffer.size - at);
    f.job.multiplier->Apply(bytes + at, size / f.n);
    RunPosition position;
    position.read = f.outcome.bytes_read;
    position.framed = buffer.out_offset + static_cast<int64_t>(at + size);
    // An encryption's padding holds no source bytes.
    if (f.job.direction == Direction::kEncrypt)
      position.framed = std::min(position.framed, buffer.read_end);
    if (!pacing.AfterStep(position, size == step)) {
      f.outcome.abandoned = true;
      f.stopped = true;
      return;
    }
    f.job.out->Write(std::string_view(reinterpret_cast<const char*>(bytes + at), size));
  }
}

void Pipeline::Work(Flow& f, Buffer& buffer) {
  try {
    uint64_t turn;
    while (ReadNext(f, buffer, &turn)) MultiplyAndWrite(f, buffer, turn);
  } catch (...) {
    f.Fail();
  }
}

RunOutcome Pipeline::Run(const PipelineJob& job) {
  Flow f(job);
  if (job.pacing) {
    // The pacing runs the window's events: everything stays on this thread, and what
    // it throws (the program's end among them) goes straight to the caller.
    uint64_t turn;
    while (!f.stopped && ReadNext(f, buffers_[0], &turn)) PacedMultiplyAndWrite(f, buffers_[0]);
    return f.outcome;
  }
  // The first buffer is the caller's alone; a source that ends in it needs no thread.
  uint64_t turn;
  if (!ReadNext(f, buffers_[0], &turn)) return f.outcome;
  if (f.at_end || buffers_.size() == 1) {
    MultiplyAndWrite(f, buffers_[0], turn);
    Work(f, buffers_[0]);
  } else {
    std::vector<std::thread> helpers;
    for (size_t i = 1; i < buffers_.size(); ++i) {
      helpers.emplace_back([&f, this, i] { Work(f, buffers_[i]); });
    }
    try {
      MultiplyAndWrite(f, buffers_[0], turn);
    } catch (...) {
      f.Fail();
    }
    Work(f, buffers_[0]);
    for (std::thread& helper : helpers) helper.join();
  }
  if (f.failure) std::rethrow_exception(f.failure);
  return f.outcome;
}

}  // namespace marrowlock
