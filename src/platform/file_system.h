// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The file layer: every system call of the program is made here and in the other
// files of this folder. Every operation checks its result and reports a failure as
// a FileError whose message names the file and the system's reason.

namespace marrowlock {

// A failed file operation. what() is the whole message for the user:
//   "Cannot " + doing + " " + path + ": " + the system's reason + "."
// for example "Cannot write /mnt/full/a.enc: No space left on device."
class FileError : public std::runtime_error {
 public:
  FileError(std::string_view doing, std::string_view path, int error_number);
  FileError(std::string_view doing, std::string_view path, std::string_view reason);
  // The system's error number, or 0 when the reason is the program's own.
  int error_number() const { return error_number_; }

 private:
  int error_number_ = 0;
};

// Who may read a file that the program creates.
enum class Access {
  kPrivate,  // the owner only (0600), whatever the umask: anything that may hold plaintext
  kShared,   // as the umask allows (0666 less the umask): encrypted data
};

// The system's own handle of an open file: a descriptor on POSIX systems, a HANDLE on
// Windows. Both systems use -1 for "no file".
using NativeHandle = std::intptr_t;
inline constexpr NativeHandle kNoHandle = -1;

// An open file, closed when it goes out of scope. A read that delivers fewer bytes
// than asked for is a failure, not a silent short result.
class File {
 public:
  File() = default;
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File();

  // Opens an existing regular file for reading. Never creates a file, and never
  // hangs on a FIFO: anything but a regular file is refused.
  static File OpenRead(const std::string& path);
  // Creates the file, or empties an existing one, for writing. `mode` applies to a new
  // file. It follows links and truncates: for tests and fuzz targets only; the
  // program creates its files with CreateExclusive and OutputFile.
  static File Create(const std::string& path, unsigned mode = 0666);
  // Creates a new file for reading and writing; fails ("File exists") when anything,
  // even a dangling link, has the name already. Never follows a link.
  static File CreateExclusive(const std::string& path, Access access);
  // Opens an existing regular file for appending at its end, or creates it
  // exclusively with `access` when absent. Never follows a link (a link at the name
  // fails with "Too many levels of symbolic links") and never hangs on a FIFO.
  static File OpenAppend(const std::string& path, Access access = Access::kPrivate);

  // Takes ownership of an open handle.
  static File Adopt(NativeHandle handle, std::string path) { return File(handle, std::move(path)); }

  // A second handle of the same open file, with a path of its own for messages.
  File Duplicate() const;

  bool IsOpen() const { return handle_ != kNoHandle; }
  const std::string& Path() const { return path_; }
  NativeHandle Handle() const { return handle_; }

  int64_t Size() const;
  // Tells the system that the file will be read once from start to end, so that it
  // reads ahead further and drops what was read.
  void AdviseSequential() const;
  // Reads exactly `count` bytes from the current position.
  std::string Read(int64_t count);
  // Reads exactly `count` bytes into `buffer`.
  void ReadInto(char* buffer, int64_t count);
  // Reads exactly `count` bytes at `offset`, leaving the current position alone.
  void ReadIntoAt(char* buffer, int64_t count, int64_t offset) const;
  // Reads up to `count` bytes; returns how many (0 at the end of the file).
  int64_t ReadSome(char* buffer, int64_t count);
  void Write(std::string_view bytes);
  // Flushes to the disk (fsync), so that a rename after it cannot publish a hollow file.
  void Sync();
  // Closes the file, reporting a failure of the close itself.
  void Close();

 private:
  File(NativeHandle handle, std::string path) : handle_(handle), path_(std::move(path)) {}
  // Writes up to `count` bytes (at least one) at the current position; returns how many.
  int64_t WriteSome(const char* bytes, int64_t count);

  NativeHandle handle_ = kNoHandle;
  std::string path_;
};

// Test hook, after LevelDB's fault-injecting Env: once `bytes` more bytes have been
// written through File::Write, every further write fails with "No space left on
// device", as on a full disk; nothing turns the hook off. Runs of the real program
// take the number from the environment variable MARROWLOCK_FAIL_WRITES_AFTER.
void FailWritesAfter(std::optional<int64_t> bytes);

// Size of an existing regular file, or nothing: a missing name, a folder, a FIFO
// or a device all count as "no such file" and are never opened.
std::optional<int64_t> RegularFileSize(const std::string& path);
// Throws FileError("Cannot open <path>: <reason>.") when `path` cannot be looked
// at for a reason other than its absence: a folder on the way without search
// permission, a loop of links, an I/O error. Returns quietly when the name exists or
// is simply missing.
void CheckReachable(const std::string& path);
// True for an existing regular file that holds at least one byte.
bool IsNonEmptyRegularFile(const std::string& path);
// True for a regular file of length 0 under this very name (a link does not count).
bool IsEmptyRegularFile(const std::string& path);
bool PathExists(const std::string& path);  // anything at all, even a dangling link
bool IsDirectory(const std::string& path);
// True when both names lead to one and the same existing file.
bool SameFile(const std::string& a, const std::string& b);

// An entry of a folder listing.
struct FolderEntry {
  std::string name;
  bool is_regular_file = false;  // after following a link
};
// The entries of `folder` (without "." and ".."), in no particular order; an
// unreadable folder lists nothing.
std::vector<FolderEntry> ListFolder(const std::string& folder);

// Deletes a regular file; a missing file is not an error.
void RemoveFile(const std::string& path);
// Renames `from` to `to` only when no file of that name exists; fails otherwise.
void RenameNoReplace(const std::string& from, const std::string& to);
// Makes a new folder: with Access::kPrivate the owner's only (0700 less the umask,
// so never more), with kShared as the umask allows (0777 less the umask). An existing folder of
// that name is not an error; anything else there is.
void MakeFolder(const std::string& path, Access access);
// Flushes a folder's entries to the disk, so that a rename in it survives a power cut.
void SyncFolder(const std::string& folder);

// Reads a whole regular file.
std::string ReadWholeFile(const std::string& path);

std::string WorkingDirectory();
void SetWorkingDirectory(const std::string& path);

// True when the stream (stdin, stdout, stderr) is a terminal: a console on Windows,
// where the NUL device is not one.
bool IsTerminal(std::FILE* stream);

}  // namespace marrowlock
