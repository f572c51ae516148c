#include "platform/system_paths.h"

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

std::string HelpFileToRead() {
  if (PathExists(HelpFilePath())) return HelpFilePath();
  std::string installed = std::string(MARROWLOCK_DATA_DIR) + "/mlhelp.txt";
  if (PathExists(installed)) return installed;
  std::string source = std::string(MARROWLOCK_SOURCE_DATA_DIR) + "/mlhelp.txt";
  if (PathExists(source)) return source;
  return HelpFilePath();
}

}  // namespace marrowlock
