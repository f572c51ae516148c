// SPDX-License-Identifier: MIT
#include <unistd.h>

#include <cstdlib>

#include "platform/system_paths.h"

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

}  // namespace marrowlock
