// SPDX-License-Identifier: MIT
#pragma once

// What the Windows half of the file layer shares; included by *_windows.cpp only.

#include <windows.h>
// The file layer has a ReplaceFile of its own.
#undef ReplaceFile

#include <string>
#include <string_view>

#include <optional>

#include "platform/file_identity.h"
#include "platform/file_system.h"

namespace marrowlock {

// UTF-16 for the system's wide calls. Paths are UTF-8 inside the program.
std::wstring Wide(std::string_view text);
std::string Narrow(std::wstring_view text);

// The name a path has for the system's wide calls: UTF-16, and, past the classic
// limit of 260 characters, an absolute name with the "\\?\" prefix ("\\?\UNC\" for
// a network name) that lifts the limit.
std::wstring SystemName(std::string_view path);

// The error number of the same meaning as the system's error code `code`
// (GetLastError()), or 0 when there is none.
int ErrorNumberFor(DWORD code);
// A FileError for the system's error `code`: with the error number of the same
// meaning and its usual text ("File exists") where there is one, so that messages
// read as on every other system; else with the system's own description.
FileError SystemError(std::string_view doing, std::string_view path, DWORD code);

// Security attributes that give the current user alone full access and inherit
// nothing from the folder: for files that may hold plaintext, and private folders.
SECURITY_ATTRIBUTES* OwnerOnly();

// The identity of the file open as `handle`: its volume's serial number and its file
// index, which Windows keeps for as long as the file exists.
std::optional<FileIdentity> HandleIdentity(HANDLE handle);

// Deletes every registered hidden temporary and ends the process with `status` at
// once, as Ctrl+C or a closed console does: for a window whose session ends under it
// (the user logs off while a run writes), which gets no console event.
[[noreturn]] void RemoveTemporariesAndExit(unsigned status);

// A handle closed when it goes out of scope.
class ScopedHandle {
 public:
  explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
  ~ScopedHandle() {
    if (valid()) ::CloseHandle(handle_);
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE get() const { return handle_; }
  HANDLE release() {
    HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return handle;
  }

 private:
  HANDLE handle_;
};

inline HANDLE AsHandle(NativeHandle handle) { return reinterpret_cast<HANDLE>(handle); }
inline NativeHandle AsNative(HANDLE handle) { return reinterpret_cast<NativeHandle>(handle); }

}  // namespace marrowlock
