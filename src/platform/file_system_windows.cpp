// SPDX-License-Identifier: MIT
// The file layer on Windows: UTF-8 names turned into UTF-16 at every call, every file
// binary and sized in 64 bits, and files shared for reading, writing and deleting as
// POSIX systems share them, so that a name can be replaced while a file is open.
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cerrno>

#include "platform/file_system.h"
#include "platform/windows_support.h"

namespace marrowlock {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// ReadFile and WriteFile take 32-bit counts.
constexpr int64_t kLargestTransfer = int64_t{1} << 30;

// What a name leads to, as far as the file layer asks.
struct Node {
  bool exists = false;
  DWORD error = ERROR_SUCCESS;  // why it could not be looked at
  DWORD attributes = 0;
  DWORD type = FILE_TYPE_UNKNOWN;
  int64_t size = 0;
  bool IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
  bool IsLink() const { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
  bool IsRegular() const { return exists && type == FILE_TYPE_DISK && !IsFolder(); }
};

bool IsAbsence(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Looks at `path` through a handle that may only read attributes, following a link
// at the name or not.
Node Look(const std::string& path, bool follow) {
  Node node;
  if (path.empty()) {
    node.error = ERROR_PATH_NOT_FOUND;
    return node;
  }
  const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (follow ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
  ScopedHandle handle(::CreateFileW(SystemName(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll,
                                    nullptr, OPEN_EXISTING, flags, nullptr));
  if (!handle.valid()) {
    node.error = ::GetLastError();
    // A name that exists but may not be opened still exists.
    if (!IsAbsence(node.error)) {
      const DWORD attributes = ::GetFileAttributesW(SystemName(path).c_str());
      if (attributes != INVALID_FILE_ATTRIBUTES) {
        node.exists = true;
        node.attributes = attributes;
      }
    }
    return node;
  }
  node.exists = true;
  node.type = ::GetFileType(handle.get());
  if (node.type == FILE_TYPE_DISK) {
    BY_HANDLE_FILE_INFORMATION info;
    if (::GetFileInformationByHandle(handle.get(), &info)) {
      node.attributes = info.dwFileAttributes;
      node.size = static_cast<int64_t>((uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow);
    }
  }
  return node;
}

HANDLE CreateNew(const std::string& path, DWORD rights, Access access) {
  SECURITY_ATTRIBUTES* security = access == Access::kPrivate ? OwnerOnly() : nullptr;
  // CREATE_NEW fails when anything, a link too, has the name; the link is never followed.
  return ::CreateFileW(SystemName(path).c_str(), rights, kShareAll, security, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

// Every file and standard stream is binary: in text mode the C runtime would end
// standard input at a Ctrl-Z byte, drop its CRs, and write CR LF for every LF.
const bool kBinaryStreams = [] {
  ::_setmode(0, _O_BINARY);
  ::_setmode(1, _O_BINARY);
  ::_setmode(2, _O_BINARY);
  _fmode = _O_BINARY;
  return true;
}();

}  // namespace

File::File(File&& other) noexcept : handle_(other.handle_), path_(std::move(other.path_)) {
  other.handle_ = kNoHandle;
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (handle_ != kNoHandle) ::CloseHandle(AsHandle(handle_));
    handle_ = other.handle_;
    path_ = std::move(other.path_);
    other.handle_ = kNoHandle;
  }
  return *this;
}

File::~File() {
  if (handle_ != kNoHandle) ::CloseHandle(AsHandle(handle_));
}

File File::OpenRead(const std::string& path) {
  ScopedHandle handle(::CreateFileW(SystemName(path).c_str(), GENERIC_READ, kShareAll, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle.valid()) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_ACCESS_DENIED && IsDirectory(path)) {
      throw FileError("open", path, "It is a folder");
    }
    throw SystemError("open", path, error);
  }
  // NUL, CON and pipes are not files to read from start to end.
  if (::GetFileType(handle.get()) != FILE_TYPE_DISK) {
    throw FileError("open", path, "It is not a regular file");
  }
  return File(AsNative(handle.release()), path);
}

File File::Create(const std::string& path, unsigned /*mode*/) {
  HANDLE handle = ::CreateFileW(SystemName(path).c_str(), GENERIC_WRITE, kShareAll, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) throw SystemError("create", path, ::GetLastError());
  return File(AsNative(handle), path);
}

File File::CreateExclusive(const std::string& path, Access access) {
  // No DELETE right: the file may stay open once it has its final name, and another
  // program that opens it without sharing deletion (most do) must still be able to.
  HANDLE handle = CreateNew(path, GENERIC_READ | GENERIC_WRITE, access);
  if (handle == INVALID_HANDLE_VALUE) throw SystemError("create", path, ::GetLastError());
  return File(AsNative(handle), path);
}

File File::OpenAppend(const std::string& path, Access access) {
  // A handle with the right to append but not to write puts every write at the end,
  // as O_APPEND does, even with other writers appending at the same time.
  const DWORD rights = FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
  // Twice at most: the file may appear or vanish between the two opens.
  for (int attempt = 0; attempt < 2; ++attempt) {
    ScopedHandle handle(
        ::CreateFileW(SystemName(path).c_str(), rights, kShareAll, nullptr, OPEN_EXISTING,
                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (handle.valid()) {
      BY_HANDLE_FILE_INFORMATION info;
      if (::GetFileType(handle.get()) != FILE_TYPE_DISK ||
          !::GetFileInformationByHandle(handle.get(), &info) ||
          (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        throw FileError("open", path, "It is not a regular file");
      }
      if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        throw FileError("open", path, ELOOP);
      }
      return File(AsNative(handle.release()), path);
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_ACCESS_DENIED && IsDirectory(path)) {
      throw FileError("open", path, "It is not a regular file");
    }
    if (error != ERROR_FILE_NOT_FOUND) throw SystemError("open", path, error);
    HANDLE created = CreateNew(path, rights, access);
    if (created != INVALID_HANDLE_VALUE) return File(AsNative(created), path);
    const DWORD create_error = ::GetLastError();
    if (create_error != ERROR_FILE_EXISTS) throw SystemError("open", path, create_error);
  }
  throw FileError("open", path, EEXIST);
}

File File::Duplicate() const {
  HANDLE copy = nullptr;
  if (!::DuplicateHandle(::GetCurrentProcess(), AsHandle(handle_), ::GetCurrentProcess(), &copy, 0,
                         FALSE, DUPLICATE_SAME_ACCESS)) {
    throw SystemError("open", path_, ::GetLastError());
  }
  return File(AsNative(copy), path_);
}

int64_t File::Size() const {
  // A pipe or a device has no size, as fstat says of it on POSIX systems.
  if (::GetFileType(AsHandle(handle_)) != FILE_TYPE_DISK) return 0;
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(AsHandle(handle_), &size)) {
    throw SystemError("read", path_, ::GetLastError());
  }
  return size.QuadPart;
}

// Files are read sequentially anyway; Windows reads ahead of a sequential reader
// by itself.
void File::AdviseSequential() const {}

void File::ReadIntoAt(char* buffer, int64_t count, int64_t offset) const {
  HANDLE handle = AsHandle(handle_);
  // A positioned read moves the file pointer on Windows; it is put back afterwards.
  LARGE_INTEGER zero{}, position{};
  ::SetFilePointerEx(handle, zero, &position, FILE_CURRENT);
  int64_t done = 0;
  DWORD error = ERROR_SUCCESS;
  while (done < count) {
    OVERLAPPED at{};
    const uint64_t where = static_cast<uint64_t>(offset + done);
    at.Offset = static_cast<DWORD>(where);
    at.OffsetHigh = static_cast<DWORD>(where >> 32);
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min(count - done, kLargestTransfer));
    if (!::ReadFile(handle, buffer + done, want, &got, &at)) {
      error = ::GetLastError();
      if (error == ERROR_HANDLE_EOF)
        error = ERROR_SUCCESS;
      else
        break;
    }
    if (got == 0) break;
    done += got;
  }
  ::SetFilePointerEx(handle, position, nullptr, FILE_BEGIN);
  if (error != ERROR_SUCCESS) throw SystemError("read", path_, error);
  if (done < count) throw FileError("read", path_, "The file ended early");
}

int64_t File::ReadSome(char* buffer, int64_t count) {
  DWORD got = 0;
  const DWORD want = static_cast<DWORD>(std::min(count, kLargestTransfer));
  if (!::ReadFile(AsHandle(handle_), buffer, want, &got, nullptr)) {
    const DWORD error = ::GetLastError();
    // The writer of a pipe has closed it: the end of the stream.
    if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) return 0;
    throw SystemError("read", path_, error);
  }
  return got;
}

int64_t File::WriteSome(const char* bytes, int64_t count) {
  DWORD put = 0;
  const DWORD want = static_cast<DWORD>(std::min(count, kLargestTransfer));
  if (!::WriteFile(AsHandle(handle_), bytes, want, &put, nullptr)) {
    throw SystemError("write", path_, ::GetLastError());
  }
  if (put == 0) throw FileError("write", path_, ENOSPC);
  return put;
}

void File::Sync() {
  if (!::FlushFileBuffers(AsHandle(handle_))) throw SystemError("write", path_, ::GetLastError());
}

void File::Close() {
  if (handle_ == kNoHandle) return;
  HANDLE handle = AsHandle(handle_);
  handle_ = kNoHandle;
  if (!::CloseHandle(handle)) throw SystemError("close", path_, ::GetLastError());
}

std::optional<int64_t> RegularFileSize(const std::string& path) {
  const Node node = Look(path, true);
  if (!node.IsRegular()) return std::nullopt;
  return node.size;
}

void CheckReachable(const std::string& path) {
  const Node node = Look(path, true);
  if (node.exists || IsAbsence(node.error)) return;
  throw SystemError("open", path, node.error);
}

bool IsEmptyRegularFile(const std::string& path) {
  const Node node = Look(path, false);
  return node.IsRegular() && !node.IsLink() && node.size == 0;
}

bool PathExists(const std::string& path) { return Look(path, false).exists; }

bool IsDirectory(const std::string& path) {
  const Node node = Look(path, true);
  return node.exists && node.IsFolder();
}

std::vector<FolderEntry> ListFolder(const std::string& folder) {
  std::vector<FolderEntry> entries;
  const std::string prefix =
      folder.ends_with('/') || folder.ends_with('\\') ? folder : folder + "\\";
  WIN32_FIND_DATAW found;
  HANDLE search = ::FindFirstFileExW(SystemName(prefix + "*").c_str(), FindExInfoBasic, &found,
                                     FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return entries;
  do {
    std::string name = Narrow(found.cFileName);
    if (name == "." || name == "..") continue;
    bool regular = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
      regular = Look(prefix + name, true).IsRegular();
    }
    entries.push_back({std::move(name), regular});
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return entries;
}

void RemoveFile(const std::string& path) {
  const Node node = Look(path, false);
  if (!node.exists) return;
  if (node.IsFolder()) throw FileError("delete", path, "It is a folder");
  if (!::DeleteFileW(SystemName(path).c_str())) {
    const DWORD error = ::GetLastError();
    if (!IsAbsence(error)) throw SystemError("delete", path, error);
  }
}

void RenameNoReplace(const std::string& from, const std::string& to) {
  // Without MOVEFILE_REPLACE_EXISTING an existing name makes it fail.
  if (::MoveFileExW(SystemName(from).c_str(), SystemName(to).c_str(), MOVEFILE_WRITE_THROUGH)) {
    return;
  }
  throw SystemError("rename " + from + " to", to, ::GetLastError());
}

void MakeFolder(const std::string& path, Access access) {
  SECURITY_ATTRIBUTES* security = access == Access::kPrivate ? OwnerOnly() : nullptr;
  if (::CreateDirectoryW(SystemName(path).c_str(), security)) return;
  const DWORD error = ::GetLastError();
  if (error == ERROR_ALREADY_EXISTS && IsDirectory(path)) return;
  throw SystemError("create folder", path, error);
}

// A folder cannot be opened to be flushed on Windows; its entries are made durable by
// renaming with MOVEFILE_WRITE_THROUGH instead, which every publish does.
void SyncFolder(const std::string& /*folder*/) {}

std::string WorkingDirectory() {
  const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
  std::wstring folder(size, L'\0');
  const DWORD length = ::GetCurrentDirectoryW(size, folder.data());
  if (length == 0 || length >= size) {
    throw SystemError("read the working directory", ".", ::GetLastError());
  }
  folder.resize(length);
  return Narrow(folder);
}

void SetWorkingDirectory(const std::string& path) {
  if (!::SetCurrentDirectoryW(SystemName(path).c_str())) {
    throw SystemError("change to folder", path, ::GetLastError());
  }
}

bool IsTerminal(std::FILE* stream) {
  // The NUL device is a character device as a console is; only a console has a mode.
  const intptr_t handle = ::_get_osfhandle(::_fileno(stream));
  DWORD mode = 0;
  return handle != -1 && ::GetConsoleMode(reinterpret_cast<HANDLE>(handle), &mode);
}

}  // namespace marrowlock
