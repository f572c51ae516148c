// SPDX-License-Identifier: MIT
#include "platform/standard_streams.h"

#include "platform/windows_support.h"

namespace marrowlock {
namespace {

File Duplicate(DWORD which, const std::string& name) {
  HANDLE standard = ::GetStdHandle(which);
  // A process started without the stream (no console, nothing redirected) has none.
  if (standard == nullptr || standard == INVALID_HANDLE_VALUE) {
    throw FileError("open", name, EBADF);
  }
  HANDLE copy = nullptr;
  if (!::DuplicateHandle(::GetCurrentProcess(), standard, ::GetCurrentProcess(), &copy, 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
    throw SystemError("open", name, ::GetLastError());
  }
  return File::Adopt(AsNative(copy), name);
}

}  // namespace

File StandardInput() { return Duplicate(STD_INPUT_HANDLE, "standard input"); }

File StandardOutput() { return Duplicate(STD_OUTPUT_HANDLE, "standard output"); }

File OpenStream(const std::string& path) {
  HANDLE handle = ::CreateFileW(SystemName(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_ACCESS_DENIED && IsDirectory(path)) throw FileError("open", path, EISDIR);
    throw SystemError("open", path, error);
  }
  return File::Adopt(AsNative(handle), path);
}

}  // namespace marrowlock
