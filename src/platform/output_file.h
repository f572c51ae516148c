// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace marrowlock {

// A new file that takes its final name only once it is complete, so that nobody
// ever finds a part-written file under that name and an older file of that name
// stays whole until the new one replaces it.
//
// The file is made in the target's own folder, so that naming it is one rename on
// one file system: without any name (O_TMPFILE) where the file system allows it,
// else under a short hidden name (".mlk-" and six random characters) created
// exclusively, never through a link. Publish syncs the data, gives the file its
// name and syncs the folder, so that the new file survives a power cut once
// Publish has returned. An OutputFile destroyed before Publish leaves nothing.
//
// Failures are FileErrors that name the target, never the hidden name.
class OutputFile {
 public:
  enum class Existing {
    kReplace,  // a file of the target's name is replaced
    kKeep,     // a file of the target's name is kept, and Publish fails
  };

  OutputFile(const std::string& target, Access access);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  File& file() { return file_; }
  const std::string& target() const { return target_; }

  void Publish(Existing existing = Existing::kReplace);

 private:
  void LinkInto(const std::string& name);

  std::string target_;
  std::string folder_;
  std::string hidden_name_;  // empty for a file without a name
  File file_;
  bool published_ = false;
};

// Replaces the file `path` with what `fill` writes, through an OutputFile. On any
// failure the old `path` stays as it was and the FileError is passed on.
void ReplaceFile(const std::string& path, Access access, const std::function<void(File&)>& fill);
// ReplaceFile with the bytes `data`.
void WriteFileReplacing(const std::string& path, std::string_view data,
                        Access access = Access::kShared);

}  // namespace marrowlock
