// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/folder_lock.h"
#include "platform/output_file.h"
#include "state/program_state.h"

namespace marrowlock {

// Where an encryption or decryption puts its output while it runs, taking the bytes
// of every flush. The flushed bytes are collected and written in large pieces; Drain
// writes whatever is collected, so after it the file holds every flushed byte, as if
// each flush had been written on its own.
//
// A window run writes to its working file in the current folder ("default.enc",
// "default.dec"), which keeps the output when the run is abandoned or the result gets
// no name. A batch run touches no working file: it writes into a new file beside its
// final output, which takes the output's name when Publish is called.
class WorkingFile {
 public:
  // A window run's working file `name`: an existing file of that name is unlinked
  // (which never follows a link) and the name is created anew, exclusively. When
  // something takes the name in between, the FileError reads
  // "Cannot create default.dec: File exists." and nothing is written.
  static WorkingFile InCurrentFolder(const std::string& name, Access access);
  // A batch run's output, to be named `target` (an OutputFile).
  static WorkingFile Beside(const std::string& target, Access access);

  // Takes the bytes of one flush. Returns how many bytes this call wrote to the
  // file (0 while they are only collected).
  int64_t Append(std::string_view bytes);
  // Writes everything collected; returns how many bytes that was.
  int64_t Drain();
  // The open file. A window run's working file is readable too.
  File& file();
  // Writes everything collected and gives the output the final name `target`,
  // replacing a file of that name: synced first, its folder synced after (see
  // PublishOpenFile and OutputFile::Publish). REQUIRES for a Beside file: `target`
  // is the name it was made for.
  void Publish(const std::string& target);
  // Writes everything collected and closes the file; a working file keeps its name,
  // a Beside file that was not published leaves nothing.
  void Close();

 private:
  WorkingFile() = default;

  std::string name_;  // the working file's name; empty for a Beside file
  Access access_ = Access::kShared;
  File file_;
  std::unique_ptr<OutputFile> beside_;
  std::string pending_;
  int64_t written_ = 0;  // bytes written to the file so far
};

// Takes the folder lock of a window run. While another run holds it, the status line
// says "Waiting for another run in this folder to end." and the window's events run,
// so that Escape can abandon the wait: false then, with the display hidden and
// AbortRequested cleared. Throws FileError when the folder cannot be locked at all.
bool LockWorkingFolder(ProgramState& s, FolderLock& lock);

}  // namespace marrowlock
