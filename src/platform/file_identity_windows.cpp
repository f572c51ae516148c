// SPDX-License-Identifier: MIT
#include "platform/file_identity.h"

#include "platform/windows_support.h"

namespace marrowlock {

std::optional<FileIdentity> HandleIdentity(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(handle, &info)) return std::nullopt;
  return FileIdentity{info.dwVolumeSerialNumber,
                      (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  // Only attributes are read, and folders open too (backup semantics); the
  // C runtime's stat gives every file the inode 0 instead.
  ScopedHandle handle(::CreateFileW(SystemName(path).c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle.valid() || ::GetFileType(handle.get()) != FILE_TYPE_DISK) return std::nullopt;
  return HandleIdentity(handle.get());
}

}  // namespace marrowlock
