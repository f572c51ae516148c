#include "platform/file_system.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

namespace marrowlock {
namespace {

std::string Reason(int error_number) { return std::strerror(error_number); }

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void CopyContents(File& from, File& to) {
  std::vector<char> buffer(1 << 20);
  for (;;) {
    int64_t got = from.ReadSome(buffer.data(), static_cast<int64_t>(buffer.size()));
    if (got == 0) break;
    to.Write(std::string_view(buffer.data(), static_cast<size_t>(got)));
  }
}

}  // namespace

FileError::FileError(std::string_view doing, std::string_view path, int error_number)
    : FileError(doing, path, Reason(error_number)) {}

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

File File::OpenAppend(const std::string& path, unsigned mode) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, mode);
  if (fd < 0) throw FileError("open", path, errno);
  return File(fd, path);
}

int64_t File::Size() const {
  struct stat st;
  if (::fstat(fd_, &st) != 0) throw FileError("read", path_, errno);
  return static_cast<int64_t>(st.st_size);
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
    ssize_t put = ::write(fd_, p, left);
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

bool IsNonEmptyRegularFile(const std::string& path) {
  auto size = RegularFileSize(path);
  return size && *size > 0;
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

File CreateTemporaryBeside(const std::string& path, unsigned mode, std::string* temp_path) {
  std::string pattern = DirectoryOf(path) + "/." + BaseOf(path) + ".tmp-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) throw FileError("create", path, errno);
  *temp_path = name.data();
  mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, static_cast<mode_t>(mode) & ~mask);
  // Failures are reported under the name the user knows, not the hidden temporary one.
  return File::Adopt(fd, path);
}

void RenameReplacing(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) == 0) return;
  int e = errno;
  if (e != EXDEV) throw FileError("rename " + from + " to", to, e);
  // Another file system: copy beside the target, then rename over it.
  File in = File::OpenRead(from);
  struct stat st;
  const unsigned mode = ::fstat(in.Descriptor(), &st) == 0 ? st.st_mode & 07777 : 0666;
  ReplaceFile(to, mode, [&](File& out) { CopyContents(in, out); });
  in.Close();
  RemoveFile(from);
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

void ReplaceFile(const std::string& path, unsigned mode, const std::function<void(File&)>& fill) {
  std::string temp;
  File out = CreateTemporaryBeside(path, mode, &temp);
  try {
    fill(out);
    out.Sync();
    out.Close();
    // The temporary file lies in the target's folder, so this rename is one step:
    // readers see the old file or the new one, never a mixture.
    if (::rename(temp.c_str(), path.c_str()) != 0) throw FileError("write", path, errno);
  } catch (...) {
    ::unlink(temp.c_str());
    throw;
  }
}

void WriteFileReplacing(const std::string& path, std::string_view data, unsigned mode) {
  ReplaceFile(path, mode, [&](File& out) { out.Write(data); });
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

}  // namespace marrowlock
