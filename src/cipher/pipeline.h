// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "cipher/block_multiplier.h"
#include "cipher/framing.h"
#include "platform/file_system.h"

namespace marrowlock {

enum class Direction { kEncrypt, kDecrypt };

// Where a run's bytes come from. ReadSome gives at least one byte, or 0 at the end;
// it may throw (FileError).
class ByteSource {
 public:
  virtual int64_t ReadSome(char* bytes, int64_t count) = 0;

 protected:
  ~ByteSource() = default;
};

// Where a run's result goes, in order. Write may throw (FileError).
class ByteSink {
 public:
  virtual void Write(std::string_view bytes) = 0;

 protected:
  ~ByteSink() = default;
};

// A file or stream read to its end; or, given `length`, a file of that length taken
// when the run started: exactly that many bytes are read (a file that grew meanwhile
// is read only as long as it was), and one that ends sooner is a FileError.
class FileSource final : public ByteSource {
 public:
  explicit FileSource(File& file, std::optional<int64_t> length = std::nullopt)
      : file_(file), left_(length) {}
  int64_t ReadSome(char* bytes, int64_t count) override;

 private:
  File& file_;
  std::optional<int64_t> left_;
};

// Bytes in memory (a text), which must stay put for the run.
class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
  int64_t ReadSome(char* bytes, int64_t count) override;

 private:
  std::string_view bytes_;
};

// A file or stream written in order. Each piece is handed to the disk at once, so
// that the sync before a file takes its name finds little left to write.
class FileSink final : public ByteSink {
 public:
  explicit FileSink(File& file) : file_(file) {}
  void Write(std::string_view bytes) override;

 private:
  File& file_;
  int64_t written_ = 0;
};

// Where a run stands: `framed` source bytes are in blocks that are multiplied (an
// encryption's padding counts for nothing), and `read` bytes are read.
struct RunPosition {
  int64_t framed = 0;
  int64_t read = 0;
};

// The window's hold on a run: the run stops every StepBytes bytes of output (the
// flush points) and after its last, short step, each time before writing what it
// has just multiplied, and asks AfterStep whether to go on. AfterStep may show
// progress and run the window's events; false abandons the run, writing nothing
// more. A paced run works on the caller's thread alone, the thread whose events
// AfterStep runs.
class Pacing {
 public:
  // A multiple of every block length.
  virtual int64_t StepBytes() const = 0;
  // `flush_point`: the step is a whole StepBytes; false for a run's short last step.
  virtual bool AfterStep(const RunPosition& at, bool flush_point) = 0;

 protected:
  ~Pacing() = default;
};

// One run: its bytes, its key, and where it reads and writes.
struct PipelineJob {
  Direction direction = Direction::kEncrypt;
  // Pair to encrypt, Pal to decrypt.
  const BlockMultiplier* multiplier = nullptr;
  // How an encryption completes its last block.
  SourceKind source_kind = SourceKind::kFile;
  ByteSource* in = nullptr;
  ByteSink* out = nullptr;
  // Every byte read is added to it, when given (from any of the threads).
  std::atomic<int64_t>* progress = nullptr;
  // The window's hold on the run, when given.
  Pacing* pacing = nullptr;
};

// How a run ended.
struct RunOutcome {
  int64_t bytes_read = 0;
  // Decryption: the bytes after the last whole block, which a complete encrypted
  // file never has (they are dropped).
  int64_t left_over = 0;
  // Pacing stopped the run.
  bool abandoned = false;
};

// The one way every run goes, whoever starts it (the window, batch mode,
// marrowlock-cli): read, cut into blocks (the last completed as framing.h says),
// multiply, write, in constant memory (a buffer of a MiB per thread), the length of
// the source known only at its end.
//
// The threads take the source a buffer at a time, in turn: each reads its buffer
// (one reader at a time, in order), multiplies it, and writes it when the buffers
// read before it are written. A buffer stays with one thread from reading to
// writing, so its bytes never travel between processors' caches, and one thread
// reads or writes while the others multiply.
//
// One Pipeline serves one caller, for any number of runs one after the other.
class Pipeline {
 public:
  // `threads` work on each run (counting the caller); a run that fits in one buffer,
  // and a paced run, are done by the caller alone.
  explicit Pipeline(int threads);
  ~Pipeline();
  Pipeline(const Pipeline&) = delete;
  Pipeline& operator=(const Pipeline&) = delete;

  // Throws what the source, the sink or the pacing threw; what was written by then
  // is in the sink, in order.
  RunOutcome Run(const PipelineJob& job);

  int Threads() const { return static_cast<int>(buffers_.size()); }

 private:
  // Memory that is only reserved until used, so that a small file touches a page or
  // two of it, however many files run at once.
  struct Buffer {
    std::unique_ptr<uint8_t[]> bytes;
    size_t capacity = 0;
    size_t size = 0;
    int64_t out_offset = 0;  // where its bytes go in the output
    int64_t read_end = 0;    // the source bytes read up to its end
  };
  struct Flow;
  static bool ReadNext(Flow& flow, Buffer& buffer, uint64_t* turn);
  static void MultiplyAndWrite(Flow& flow, Buffer& buffer, uint64_t turn);
  static void PacedMultiplyAndWrite(Flow& flow, Buffer& buffer);
  static void Work(Flow& flow, Buffer& buffer);

  std::vector<Buffer> buffers_;  // one per thread
};

}  // namespace marrowlock
