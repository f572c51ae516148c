// SPDX-License-Identifier: MIT
// The folder lock on Windows: a folder handle cannot be locked, so the lock is a named
// mutex whose name is the folder's identity (volume serial number and file index).
#include <map>
#include <mutex>

#include "platform/file_identity.h"
#include "platform/file_system.h"
#include "platform/folder_lock.h"
#include "platform/windows_support.h"

namespace marrowlock {
namespace {

int lock_depth = 0;
// The mutex of each lock object; the header keeps a descriptor, which Windows has not.
std::map<const FolderLock*, HANDLE>& Mutexes() {
  static std::map<const FolderLock*, HANDLE> mutexes;
  return mutexes;
}
std::mutex mutexes_guard;

FileError LockError(DWORD error) {
  std::string folder = ".";
  try {
    folder = WorkingDirectory();
  } catch (const FileError&) {
  }
  return SystemError("lock the folder", folder, error);
}

}  // namespace

FolderLock::FolderLock() {
  if (lock_depth > 0) {
    nested_ = true;
    return;
  }
  const std::optional<FileIdentity> folder = IdentityOf(".");
  if (!folder) throw LockError(::GetLastError());
  const std::wstring name = L"Local\\marrowlock-folder-" + std::to_wstring(folder->device) + L"-" +
                            std::to_wstring(folder->inode);
  HANDLE mutex = ::CreateMutexW(nullptr, FALSE, name.c_str());
  if (mutex == nullptr) throw LockError(::GetLastError());
  std::lock_guard<std::mutex> guard(mutexes_guard);
  Mutexes()[this] = mutex;
}

FolderLock::~FolderLock() {
  if (held_) --lock_depth;
  std::lock_guard<std::mutex> guard(mutexes_guard);
  auto found = Mutexes().find(this);
  if (found == Mutexes().end()) return;
  if (held_ && !nested_) ::ReleaseMutex(found->second);
  ::CloseHandle(found->second);
  Mutexes().erase(found);
}

bool FolderLock::Take(double seconds) {
  if (held_) return true;
  if (nested_) {
    held_ = true;
    ++lock_depth;
    return true;
  }
  HANDLE mutex;
  {
    std::lock_guard<std::mutex> guard(mutexes_guard);
    mutex = Mutexes().at(this);
  }
  const DWORD waited = ::WaitForSingleObject(mutex, static_cast<DWORD>(seconds * 1000));
  // A run that ended without releasing the mutex (killed) leaves it abandoned: ours now.
  if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
    held_ = true;
    ++lock_depth;
    return true;
  }
  if (waited == WAIT_TIMEOUT) return false;
  throw LockError(::GetLastError());
}

}  // namespace marrowlock
