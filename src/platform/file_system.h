#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace marrowlock {

// A failed file operation. what() is the whole message for the user:
//   "Cannot " + doing + " " + path + ": " + the system's reason + "."
// for example "Cannot write /mnt/full/a.enc: No space left on device."
class FileError : public std::runtime_error {
 public:
  FileError(std::string_view doing, std::string_view path, int error_number);
  FileError(std::string_view doing, std::string_view path, std::string_view reason);
};

// An open file, closed when it goes out of scope. Every operation checks its
// result and throws FileError; a read that delivers fewer bytes than asked for
// is a failure, not a silent short result.
class File {
 public:
  File() = default;
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File();

  // Opens an existing regular file for reading. Never creates a file.
  static File OpenRead(const std::string& path);
  // Creates the file, or empties an existing one, for writing. `mode` applies to a new file.
  static File Create(const std::string& path, unsigned mode = 0666);
  // Opens for appending at the end, creating the file when absent.
  static File OpenAppend(const std::string& path, unsigned mode = 0666);

  // Takes ownership of an open descriptor.
  static File Adopt(int fd, std::string path) { return File(fd, std::move(path)); }

  bool IsOpen() const { return fd_ >= 0; }
  const std::string& Path() const { return path_; }
  int Descriptor() const { return fd_; }

  int64_t Size() const;
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
  File(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  int fd_ = -1;
  std::string path_;
};

// Size of an existing regular file, or nothing: a missing name, a folder, a FIFO
// or a device all count as "no such file" and are never opened.
std::optional<int64_t> RegularFileSize(const std::string& path);
// True for an existing regular file that holds at least one byte.
bool IsNonEmptyRegularFile(const std::string& path);
bool PathExists(const std::string& path);  // anything at all, even a dangling link

// Deletes a regular file; a missing file is not an error.
void RemoveFile(const std::string& path);
// Gives `from` the name `to` in one step, replacing a file of that name. When the
// two lie on different file systems the data is copied to a temporary file beside
// `to`, which is then renamed over it, and `from` is removed.
void RenameReplacing(const std::string& from, const std::string& to);
// Renames `from` to `to` only when no file of that name exists; fails otherwise.
void RenameNoReplace(const std::string& from, const std::string& to);
// Replaces the file `path` with what `fill` writes, never leaving a partial file
// under that name: `fill` writes to a fresh temporary file beside `path` (created
// with `mode`, less the umask), which is synced and then renamed over `path`.
// On any failure the temporary file is removed, the old `path` stays as it was,
// and the FileError is passed on.
void ReplaceFile(const std::string& path, unsigned mode, const std::function<void(File&)>& fill);
// ReplaceFile with the bytes `data`.
void WriteFileReplacing(const std::string& path, std::string_view data, unsigned mode = 0666);
// A fresh, unique name beside `path` for a temporary file ("dir/.name.tmp-XXXXXX" style).
// The returned File names `path` in its failure messages.
File CreateTemporaryBeside(const std::string& path, unsigned mode, std::string* temp_path);

// Reads a whole regular file.
std::string ReadWholeFile(const std::string& path);

std::string WorkingDirectory();
void SetWorkingDirectory(const std::string& path);
bool IsDirectory(const std::string& path);

}  // namespace marrowlock
