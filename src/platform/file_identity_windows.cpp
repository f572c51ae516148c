// SPDX-License-Identifier: MIT
#include "platform/file_identity.h"

#include <io.h>

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

std::optional<FileIdentity> RegularFileIdentityOn(int fd) {
  const intptr_t os_handle = ::_get_osfhandle(fd);
  if (os_handle == -1 || os_handle == -2) return std::nullopt;
  const HANDLE handle = reinterpret_cast<HANDLE>(os_handle);
  FILE_ATTRIBUTE_TAG_INFO tag;
  if (::GetFileType(handle) != FILE_TYPE_DISK ||
      !::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof(tag)) ||
      (tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return std::nullopt;
  }
  return HandleIdentity(handle);
}

// A link, a folder or a device is no file; a file's owner is not looked at here,
// where a folder shared with other users is rare and an administrator's files belong
// to the Administrators group rather than to the user.
NameHolder HolderOf(const std::string& path) {
  ScopedHandle handle(
      ::CreateFileW(SystemName(path).c_str(), FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!handle.valid()) return NameHolder::kNothing;
  FILE_ATTRIBUTE_TAG_INFO tag;
  if (!::GetFileInformationByHandleEx(handle.get(), FileAttributeTagInfo, &tag, sizeof(tag)))
    return NameHolder::kNothing;
  if ((tag.FileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0 ||
      ::GetFileType(handle.get()) != FILE_TYPE_DISK) {
    return NameHolder::kNotAFile;
  }
  return NameHolder::kOwnFile;
}

}  // namespace marrowlock
