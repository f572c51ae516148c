// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <optional>
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
// else under a short hidden name (".mlk-" and six random characters, whatever the
// target's length) created exclusively, never through a link, and registered so
// that SIGINT, SIGTERM and SIGHUP remove it (temporary_names.h). Publish syncs the
// data, gives the file its name and syncs the folder, so that the new file survives
// a power cut once Publish has returned (a folder that cannot be synced is reported,
// see ReportUnsyncedFolders). An OutputFile destroyed before Publish leaves nothing.
//
// A target that is an existing device, FIFO or socket is written into directly
// instead (node_output.h); Publish then only closes it.
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
  // True when the target is a device, FIFO or socket that is written into.

  void Publish(Existing existing = Existing::kReplace);

 private:
  void CreateHidden();
  void LinkInto(const std::string& name);
  void RemoveHidden();

  std::string target_;
  std::string folder_;
  std::string hidden_name_;  // empty for a file without a name
  int hidden_slot_ = -1;     // its place in the table of temporary names
  File file_;
  bool node_ = false;
  bool published_ = false;
};

// Gives `file`, an open file named `working_name`, the name `target` as well,
// replacing a file of that name, and then takes the name `working_name` away when it
// still is this file's. The file is synced first and the target's folder after, as
// Publish does. The file is found through its descriptor, never through
// `working_name`, so a file swapped in at that name meanwhile is never published;
// only on a system without /proc is the name used, after checking that it still
// leads to this file. A target on another file system gets a copy; a device, FIFO or
// socket (node_output.h) gets the bytes written into it. `access` applies to a copy.
// Failures are FileErrors that name the target; `working_name` then keeps the file.
void PublishOpenFile(File& file, const std::string& working_name, const std::string& target,
                     Access access);

// Gives `file`, an open regular file with or without a name (an OutputFile's, or a
// file whose names are all gone), the name `target` as well, replacing a file of that
// name: by a link to the same file where the file system allows it, so that nothing
// is copied. The file is synced first and the target's folder after, as Publish does.
// A target that already is this file is left as it is. A target on another file
// system, or a file that can have no name again (one made under a name, all of whose
// names are gone), gets a copy that takes its name once complete, and a device, FIFO
// or socket the bytes written into it; `copying` is called after each piece copied
// with the bytes copied so far and the whole, and whatever it throws leaves nothing
// of the copy. `access` applies to a copy. Returns true when the target is this file,
// false when it got a copy. Failures are FileErrors that name the target.
bool PublishHeldFile(File& file, const std::string& target, Access access,
                     const std::function<void(int64_t copied, int64_t total)>& copying = {});

// Replaces the file `path` with what `fill` writes, through an OutputFile. On any
// failure the old `path` stays as it was and the FileError is passed on.
void ReplaceFile(const std::string& path, Access access, const std::function<void(File&)>& fill);
// Appends every byte of `from` to `to`, a MiB at a time; `copying`, when given, is
// called after each piece with the bytes copied so far and the whole.
void CopyAll(const File& from, File& to,
             const std::function<void(int64_t copied, int64_t total)>& copying = nullptr);
// ReplaceFile with the bytes `data`.
void WriteFileReplacing(const std::string& path, std::string_view data,
                        Access access = Access::kShared);

// Once an output has its name it is complete: syncing its folder afterwards only
// makes the name survive a power cut. A folder that cannot be opened or synced then
// (one the user may write to but not read, mode 0333) is therefore no failure of
// Publish, PublishOpenFile or ReplaceFile: `report` is told the output's name and
// the FileError that names the folder, and the output stands. Until a program sets
// it, nothing is said. Set it before threads that publish start; it is called from
// the thread that publishes.
void ReportUnsyncedFolders(
    std::function<void(const std::string& target, const FileError& error)> report);

// Test hook: with true, output files are always made under hidden names, as on a
// file system without O_TMPFILE. Runs of the real program take it from the
// environment variable MARROWLOCK_NO_TMPFILE (any non-empty value).
void AvoidUnnamedTemporaries(bool avoid);

}  // namespace marrowlock
