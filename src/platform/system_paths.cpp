// SPDX-License-Identifier: MIT
#include "platform/system_paths.h"

#include <unistd.h>

#include <cstdlib>

#include "platform/file_system.h"

namespace marrowlock {
namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

}  // namespace

std::string SystemFolder() {
  std::string home = Environment("MARROWLOCK_HOME");
  if (!home.empty()) return home;
  std::string config = Environment("XDG_CONFIG_HOME");
  if (!config.empty()) return config + "/marrowlock";
  std::string user_home = Environment("HOME");
  return (user_home.empty() ? std::string(".") : user_home) + "/.config/marrowlock";
}

void EnsureSystemFolder() {
  const std::string folder = SystemFolder();
  if (IsDirectory(folder)) return;
  // Each missing folder on the way is made owner-only, whatever the umask: whoever
  // could write in it could replace the settings and point the default key elsewhere.
  for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    const std::string part = folder.substr(0, slash);
    if (!part.empty() && !IsDirectory(part)) MakeFolder(part, Access::kPrivate);
    if (slash == std::string::npos) break;
  }
}

std::string SettingsFilePath() { return SystemFolder() + "/mlinfo.dat"; }
std::string LogFilePath() { return SystemFolder() + "/mllog.txt"; }
std::string HelpFilePath() { return SystemFolder() + "/mlhelp.txt"; }

std::string ProgramFolder() {
  char self[4096];
  ssize_t length = ::readlink("/proc/self/exe", self, sizeof(self));
  if (length <= 0 || static_cast<size_t>(length) == sizeof(self)) return "";
  std::string path(self, static_cast<size_t>(length));
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return "";
  path.erase(slash);
  return path.empty() ? "/" : path;
}

std::string HelpFileToRead() {
  if (PathExists(HelpFilePath())) return HelpFilePath();
  const std::string program_folder = ProgramFolder();
  if (!program_folder.empty()) {
    // MARROWLOCK_DATA_FROM_PROGRAM is the data folder relative to the program's
    // folder in an installed tree, such as "../share/marrowlock".
    for (const std::string& folder :
         {program_folder, program_folder + "/" + MARROWLOCK_DATA_FROM_PROGRAM}) {
      const std::string candidate = folder + "/mlhelp.txt";
      if (PathExists(candidate)) return candidate;
    }
  }
  return HelpFilePath();
}

}  // namespace marrowlock
