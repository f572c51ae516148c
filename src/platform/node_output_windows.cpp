// SPDX-License-Identifier: MIT
// Outputs that are not files, on Windows: the devices that every folder has under the
// reserved names (NUL, CON, ...), names of the form "\\.\NAME" and named pipes
// ("\\.\pipe\NAME"). Disks and volumes are refused.
#include "platform/node_output.h"

#include <array>

#include "platform/paths.h"
#include "platform/windows_support.h"

namespace marrowlock {
namespace {

// The names that lead to a device in any folder, whatever their extension.
bool IsReservedDeviceName(const std::string& path) {
  std::string name = AsciiLower(FileNamePart(path));
  name = name.substr(0, name.find('.'));
  while (!name.empty() && (name.back() == ' ')) name.pop_back();
  static const std::array<std::string, 6> kFixed = {"nul", "con",     "prn",
                                                    "aux", "conout$", "conin$"};
  for (const std::string& fixed : kFixed) {
    if (name == fixed) return true;
  }
  return name.size() == 4 && (name.starts_with("com") || name.starts_with("lpt")) &&
         name[3] >= '1' && name[3] <= '9';
}

bool IsDeviceNamespace(const std::string& path) {
  return path.size() > 4 && (path[0] == '\\' || path[0] == '/') &&
         (path[1] == '\\' || path[1] == '/') && path[2] == '.' &&
         (path[3] == '\\' || path[3] == '/');
}

}  // namespace

std::optional<File> OpenNodeOutput(const std::string& target) {
  if (!IsReservedDeviceName(target) && !IsDeviceNamespace(target)) return std::nullopt;
  const std::wstring name = Wide(target);
  constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
  // Looked at first with no rights at all, so that a disk is never opened for writing.
  {
    ScopedHandle look(::CreateFileW(name.c_str(), 0, kShare, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!look.valid()) {
      const DWORD error = ::GetLastError();
      // A reserved name of a device that this machine lacks (COM9) cannot be written.
      throw SystemError("open", target, error);
    }
    if (::GetFileType(look.get()) == FILE_TYPE_DISK) {
      throw FileError("write", target, "It is a block device");
    }
  }
  HANDLE handle =
      ::CreateFileW(name.c_str(), GENERIC_WRITE, kShare, nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) throw SystemError("open", target, ::GetLastError());
  return File::Adopt(AsNative(handle), target);
}

}  // namespace marrowlock
