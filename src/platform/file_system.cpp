// SPDX-License-Identifier: MIT
#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/file_identity.h"

namespace marrowlock {
namespace {

std::string Reason(int error_number) { return std::strerror(error_number); }

// What is left of the write-failure hook's allowance, or -1 for no limit.
int64_t BudgetFromEnvironment() {
  const char* text = std::getenv("MARROWLOCK_FAIL_WRITES_AFTER");
  if (text == nullptr || *text == '\0') return -1;
  char* end = nullptr;
  long long bytes = std::strtoll(text, &end, 10);
  return (*end == '\0' && bytes >= 0) ? bytes : -1;
}

std::atomic<int64_t>& WriteBudget() {
  static std::atomic<int64_t> budget{BudgetFromEnvironment()};
  return budget;
}

// How many of `wanted` bytes the hook lets a write put down.
size_t WriteAllowance(size_t wanted) {
  std::atomic<int64_t>& budget = WriteBudget();
  int64_t left = budget.load();
  while (left >= 0) {
    int64_t give = std::min(left, static_cast<int64_t>(wanted));
    if (budget.compare_exchange_weak(left, left - give)) return static_cast<size_t>(give);
  }
  return wanted;
}

}  // namespace

void FailWritesAfter(std::optional<int64_t> bytes) { WriteBudget() = bytes ? *bytes : -1; }

FileError::FileError(std::string_view doing, std::string_view path, int error_number)
    : FileError(doing, path, Reason(error_number)) {
  error_number_ = error_number;
}

FileError::FileError(std::string_view doing, std::string_view path, std::string_view reason)
    : std::runtime_error("Cannot " + std::string(doing) + " " + std::string(path) + ": " +
                         std::string(reason) + ".") {}

File::File(File&& other) noexcept : fd_(other.fd_), path_(std::move(other.path_)) {
  other.fd_ = -1;
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.fd_;
    path_ = std::move(other.path_);
    other.fd_ = -1;
  }
  return *this;
}

File::~File() {
  if (fd_ >= 0) ::close(fd_);
}

File File::OpenRead(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) throw FileError("open", path, errno);
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    int e = errno;
    ::close(fd);
    throw FileError("open", path, e);
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    throw FileError("open", path,
                    S_ISDIR(st.st_mode) ? "It is a folder" : "It is not a regular file");
  }
  // Opened non-blocking only so that a FIFO cannot hang the open; reads block as usual.
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return File(fd, path);
}

File File::Create(const std::string& path, unsigned mode) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  if (fd < 0) throw FileError("create", path, errno);
  return File(fd, path);
}

File File::CreateExclusive(const std::string& path, Access access) {
  const mode_t mode = access == Access::kPrivate ? 0600 : 0666;
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
  if (fd < 0) throw FileError("create", path, errno);
  // The umask could only take rights away; this makes sure nobody else has any.
  if (access == Access::kPrivate && ::fchmod(fd, 0600) != 0) {
    int e = errno;
    ::close(fd);
    ::unlink(path.c_str());
    throw FileError("create", path, e);
  }
  return File(fd, path);
}

File File::OpenAppend(const std::string& path, Access access) {
  // Twice at most: the file may appear or vanish between the two opens.
  for (int attempt = 0; attempt < 2; ++attempt) {
    int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
      struct stat st;
      if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw FileError("open", path, "It is not a regular file");
      }
      ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
      return File(fd, path);
    }
    if (errno != ENOENT) throw FileError("open", path, errno);
    try {
      File created = CreateExclusive(path, access);
      ::fcntl(created.fd_, F_SETFL, ::fcntl(created.fd_, F_GETFL) | O_APPEND);
      return created;
    } catch (const FileError& e) {
      if (e.error_number() != EEXIST) throw FileError("open", path, e.error_number());
    }
  }
  throw FileError("open", path, EEXIST);
}

File File::Duplicate() const {
  int fd = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
  if (fd < 0) throw FileError("open", path_, errno);
  return File(fd, path_);
}

int64_t File::Size() const {
  struct stat st;
  if (::fstat(fd_, &st) != 0) throw FileError("read", path_, errno);
  return static_cast<int64_t>(st.st_size);
}

void File::AdviseSequential() const {
  // Only advice: a file system that ignores it reads just as correctly.
  ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
}

std::string File::Read(int64_t count) {
  std::string bytes(static_cast<size_t>(count), '\0');
  ReadInto(bytes.data(), count);
  return bytes;
}

void File::ReadInto(char* buffer, int64_t count) {
  int64_t done = 0;
  while (done < count) {
    int64_t got = ReadSome(buffer + done, count - done);
    if (got == 0) throw FileError("read", path_, "The file ended early");
    done += got;
  }
}

void File::ReadIntoAt(char* buffer, int64_t count, int64_t offset) const {
  int64_t done = 0;
  while (done < count) {
    ssize_t got = ::pread(fd_, buffer + done, static_cast<size_t>(count - done), offset + done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw FileError("read", path_, errno);
    if (got == 0) throw FileError("read", path_, "The file ended early");
    done += got;
  }
}

int64_t File::ReadSome(char* buffer, int64_t count) {
  for (;;) {
    ssize_t got = ::read(fd_, buffer, static_cast<size_t>(count));
    if (got >= 0) return got;
    if (errno != EINTR) throw FileError("read", path_, errno);
  }
}

void File::Write(std::string_view bytes) {
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    const size_t allowed = WriteAllowance(left);
    if (allowed == 0) throw FileError("write", path_, ENOSPC);
    ssize_t put = ::write(fd_, p, allowed);
    if (put < 0) {
      if (errno == EINTR) continue;
      throw FileError("write", path_, errno);
    }
    p += put;
    left -= static_cast<size_t>(put);
  }
}

void File::Sync() {
  if (::fsync(fd_) != 0) throw FileError("write", path_, errno);
}

void File::Close() {
  if (fd_ < 0) return;
  int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0 && errno != EINTR) throw FileError("close", path_, errno);
}

std::optional<int64_t> RegularFileSize(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return static_cast<int64_t>(st.st_size);
}

void CheckReachable(const std::string& path) {
  struct stat st;
  // A dangling link is as absent as a missing name: both give ENOENT.
  if (::stat(path.c_str(), &st) == 0 || errno == ENOENT) return;
  throw FileError("open", path, errno);
}

bool IsNonEmptyRegularFile(const std::string& path) {
  auto size = RegularFileSize(path);
  return size && *size > 0;
}

bool IsEmptyRegularFile(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size == 0;
}

bool SameFile(const std::string& a, const std::string& b) {
  const std::optional<FileIdentity> identity = IdentityOf(a);
  return identity && identity == IdentityOf(b);
}

std::vector<FolderEntry> ListFolder(const std::string& folder) {
  std::vector<FolderEntry> entries;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return entries;
  const std::string prefix = folder.ends_with('/') ? folder : folder + "/";
  while (const dirent* entry = ::readdir(dir)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat st;
    bool regular = ::stat((prefix + name).c_str(), &st) == 0 && S_ISREG(st.st_mode);
    entries.push_back({std::move(name), regular});
  }
  ::closedir(dir);
  return entries;
}

bool PathExists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

bool IsDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void RemoveFile(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return;
  if (S_ISDIR(st.st_mode)) throw FileError("delete", path, "It is a folder");
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) throw FileError("delete", path, errno);
}

void RenameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return;
  int e = errno;
  if (e == EINVAL || e == ENOSYS) {
    // File systems without RENAME_NOREPLACE: link refuses an existing name too.
    if (::link(from.c_str(), to.c_str()) == 0) {
      ::unlink(from.c_str());
      return;
    }
    e = errno;
  }
  throw FileError("rename " + from + " to", to, e);
}

void MakeFolder(const std::string& path, Access access) {
  // The umask can only take rights away, so a private folder never gives others any.
  if (::mkdir(path.c_str(), access == Access::kPrivate ? 0700 : 0777) == 0) return;
  if (errno == EEXIST && IsDirectory(path)) return;
  throw FileError("create folder", path, errno);
}

void SyncFolder(const std::string& folder) {
  // Messages name the folder as the user would: "." for the current one, "out" for "out/".
  std::string name = folder.empty() ? "." : folder;
  while (name.size() > 1 && name.back() == '/') name.pop_back();
  int fd = ::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) throw FileError("open folder", name, errno);
  // Some file systems cannot sync a folder and say so with EINVAL; they have
  // nothing to lose.
  if (::fsync(fd) != 0 && errno != EINVAL) {
    int e = errno;
    ::close(fd);
    throw FileError("write folder", name, e);
  }
  ::close(fd);
}

std::string ReadWholeFile(const std::string& path) {
  File in = File::OpenRead(path);
  std::string bytes = in.Read(in.Size());
  in.Close();
  return bytes;
}

std::string WorkingDirectory() {
  std::error_code ec;
  std::string cwd = std::filesystem::current_path(ec).string();
  if (ec) throw FileError("read the working directory", ".", ec.message());
  return cwd;
}

void SetWorkingDirectory(const std::string& path) {
  if (::chdir(path.c_str()) != 0) throw FileError("change to folder", path, errno);
}

bool IsTerminal(int fd) { return ::isatty(fd) == 1; }

}  // namespace marrowlock
