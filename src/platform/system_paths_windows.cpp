// SPDX-License-Identifier: MIT
#include "platform/system_paths.h"

#include "platform/paths.h"
#include "platform/windows_support.h"

namespace marrowlock {
namespace {

// The environment read in UTF-16, so that a folder with any characters comes through.
std::string Environment(const wchar_t* name) {
  const DWORD size = ::GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return "";
  std::wstring value(size, L'\0');
  const DWORD length = ::GetEnvironmentVariableW(name, value.data(), size);
  value.resize(length < size ? length : 0);
  return Narrow(value);
}

}  // namespace

std::string SystemFolder() {
  std::string home = Environment(L"MARROWLOCK_HOME");
  if (!home.empty()) return home;
  // The roaming application data folder, as every Windows program keeps its settings.
  std::string data = Environment(L"APPDATA");
  if (data.empty()) {
    const std::string profile = Environment(L"USERPROFILE");
    data = profile.empty() ? std::string(".") : JoinPath(profile, "AppData\\Roaming");
  }
  return JoinPath(data, "Marrowlock");
}

std::string ProgramFolder() {
  std::wstring self(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
    if (length == 0) return "";
    if (length < self.size()) {
      self.resize(length);
      break;
    }
    self.resize(self.size() * 2);
  }
  std::string path = Narrow(self);
  std::string folder = FolderPart(path);
  // "C:\" keeps its separator; any other folder loses it.
  if (folder.size() > RootLength(folder)) folder.pop_back();
  return folder;
}

}  // namespace marrowlock
