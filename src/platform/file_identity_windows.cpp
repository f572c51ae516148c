// SPDX-License-Identifier: MIT
#include "platform/file_identity.h"

#include <aclapi.h>
#include <io.h>

#include <vector>

#include "platform/windows_support.h"

namespace marrowlock {

namespace {

// The SID of one piece of the process token's information (TokenUser, TokenOwner).
std::vector<unsigned char> TokenSid(TOKEN_INFORMATION_CLASS which) {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  DWORD size = 0;
  ::GetTokenInformation(token, which, nullptr, 0, &size);
  std::vector<unsigned char> information(size);
  const bool got =
      size != 0 && ::GetTokenInformation(token, which, information.data(), size, &size);
  ::CloseHandle(token);
  if (!got) return {};
  const PSID sid = which == TokenUser ? reinterpret_cast<TOKEN_USER*>(information.data())->User.Sid
                                      : reinterpret_cast<TOKEN_OWNER*>(information.data())->Owner;
  const auto* bytes = static_cast<const unsigned char*>(sid);
  return std::vector<unsigned char>(bytes, bytes + ::GetLengthSid(sid));
}

// True when the file open as `handle` (with READ_CONTROL) belongs to the user: its
// owner is the user's SID, or the owner that the user's token gives every file it
// makes (the Administrators group, for an administrator whose programs run
// elevated). A file whose owner cannot be read is nobody's.
bool OwnedByUser(HANDLE handle) {
  static const std::vector<unsigned char> user = TokenSid(TokenUser);
  static const std::vector<unsigned char> default_owner = TokenSid(TokenOwner);
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (::GetSecurityInfo(handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                        nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  bool own = false;
  for (const std::vector<unsigned char>* sid : {&user, &default_owner}) {
    own = own || (owner != nullptr && !sid->empty() &&
                  ::EqualSid(owner, const_cast<unsigned char*>(sid->data())));
  }
  ::LocalFree(descriptor);
  return own;
}

}  // namespace

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

// A link, a folder or a device is no file; a file is the user's own when its owner
// SID is the user's (see OwnedByUser), as a file is on POSIX systems when its uid is.
NameHolder HolderOf(const std::string& path) {
  ScopedHandle handle(
      ::CreateFileW(SystemName(path).c_str(), FILE_READ_ATTRIBUTES | READ_CONTROL,
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
  return OwnedByUser(handle.get()) ? NameHolder::kOwnFile : NameHolder::kAnotherUsersFile;
}

}  // namespace marrowlock
