// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "cipher/pipeline.h"
#include "platform/file_system.h"
#include "platform/output_file.h"

namespace marrowlock {

// Where an encryption or decryption puts its output while it runs, taking the bytes
// of every flush. The flushed bytes are collected and written in large pieces; Drain
// writes whatever is collected, so after it the output holds every flushed byte, as
// if each flush had been written on its own. As a run's sink, it takes the bytes of
// each step of the pipeline as a flush.
//
// No run has a working file under a name of its own: its output is private to it
// until it is complete, and an abandoned run leaves nothing.
class WorkingFile final : public ByteSink {
 public:
  // A new file beside `target` that takes that name when Publish is called (an
  // OutputFile): without any name while it is written where the file system allows
  // it, else under a hidden name that goes when the WorkingFile does. It is readable
  // too, so that a decryption's result can be held through a descriptor of it.
  static WorkingFile Beside(const std::string& target, Access access);
  // Bytes kept in memory, for an output whose name is known only at its end (a text
  // encrypted in the window; Publish writes them under the name then).
  static WorkingFile InMemory(Access access);
  // Bytes that go nowhere: a text decrypted in the window is held in Text1 alone.
  static WorkingFile Discarding();

  // Takes the bytes of one flush. Returns how many bytes this call wrote to the
  // file (0 while they are only collected).
  int64_t Append(std::string_view bytes);
  void Write(std::string_view bytes) override { Append(bytes); }
  // Writes everything collected; returns how many bytes that was.
  int64_t Drain();
  // The open file of a Beside output.
  File& file();
  // Everything an InMemory output was given.
  const std::string& Memory() const { return pending_; }
  // Writes everything collected and gives the output the final name `target`,
  // replacing a file of that name: synced first, its folder synced after (see
  // OutputFile::Publish). REQUIRES for a Beside file: `target` is the name it was
  // made for.
  void Publish(const std::string& target);

 private:
  enum class Kind { kBeside, kMemory, kDiscard };
  WorkingFile() = default;
  void WriteNow(std::string_view bytes);

  Kind kind_ = Kind::kDiscard;
  Access access_ = Access::kShared;
  std::unique_ptr<OutputFile> beside_;
  std::string pending_;
  int64_t written_ = 0;  // bytes written to the file so far
};

}  // namespace marrowlock
