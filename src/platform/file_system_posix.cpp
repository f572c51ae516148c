// SPDX-License-Identifier: MIT
// The file layer on POSIX systems.
#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <vector>

namespace marrowlock {

File::File(File&& other) noexcept : handle_(other.handle_), path_(std::move(other.path_)) {
  other.handle_ = -1;
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (handle_ >= 0) ::close(handle_);
    handle_ = other.handle_;
    path_ = std::move(other.path_);
    other.handle_ = -1;
  }
  return *this;
}

File::~File() {
  if (handle_ >= 0) ::close(handle_);
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
      ::fcntl(created.handle_, F_SETFL, ::fcntl(created.handle_, F_GETFL) | O_APPEND);
      return created;
    } catch (const FileError& e) {
      if (e.error_number() != EEXIST) throw FileError("open", path, e.error_number());
    }
  }
  throw FileError("open", path, EEXIST);
}

File File::Duplicate() const {
  int fd = ::fcntl(handle_, F_DUPFD_CLOEXEC, 0);
  if (fd < 0) throw FileError("open", path_, errno);
  return File(fd, path_);
}

int64_t File::Size() const {
  struct stat st;
  if (::fstat(handle_, &st) != 0) throw FileError("read", path_, errno);
  return static_cast<int64_t>(st.st_size);
}

void File::AdviseSequential() const {
  // Only advice: a file system that ignores it reads just as correctly. macOS has no
  // posix_fadvise (its counterpart is fcntl F_RDAHEAD).
#if MARROWLOCK_LINUX_FEATURES
  ::posix_fadvise(handle_, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
}

void File::ReadIntoAt(char* buffer, int64_t count, int64_t offset) const {
  int64_t done = 0;
  while (done < count) {
    ssize_t got = ::pread(handle_, buffer + done, static_cast<size_t>(count - done), offset + done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw FileError("read", path_, errno);
    if (got == 0) throw FileError("read", path_, "The file ended early");
    done += got;
  }
}

int64_t File::WriteSome(const char* bytes, int64_t count) {
  for (;;) {
    ssize_t put = ::write(handle_, bytes, static_cast<size_t>(count));
    if (put >= 0) return put;
    if (errno != EINTR) throw FileError("write", path_, errno);
  }
}

int64_t File::ReadSome(char* buffer, int64_t count) {
  for (;;) {
    ssize_t got = ::read(handle_, buffer, static_cast<size_t>(count));
    if (got >= 0) return got;
    if (errno != EINTR) throw FileError("read", path_, errno);
  }
}

void File::Sync() {
  if (::fsync(handle_) != 0) throw FileError("write", path_, errno);
}

void File::Close() {
  if (handle_ < 0) return;
  int fd = handle_;
  handle_ = -1;
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

bool IsEmptyRegularFile(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size == 0;
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
#if MARROWLOCK_LINUX_FEATURES
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return;
  int e = errno;
#else
  // What a Mac would do with renamex_np(RENAME_EXCL) is done by link and unlink here.
  int e = EINVAL;
#endif
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

std::string WorkingDirectory() {
  std::error_code ec;
  std::string cwd = std::filesystem::current_path(ec).string();
  if (ec) throw FileError("read the working directory", ".", ec.message());
  return cwd;
}

void SetWorkingDirectory(const std::string& path) {
  if (::chdir(path.c_str()) != 0) throw FileError("change to folder", path, errno);
}

bool IsTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) == 1; }

}  // namespace marrowlock
