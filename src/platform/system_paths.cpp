// SPDX-License-Identifier: MIT
// What is alike on every system; SystemFolder and ProgramFolder are in
// system_paths_posix.cpp and system_paths_windows.cpp.
#include "platform/system_paths.h"

#include "platform/file_system.h"
#include "platform/paths.h"

namespace marrowlock {

void EnsureSystemFolder() {
  const std::string folder = SystemFolder();
  if (IsDirectory(folder)) return;
  // Each missing folder on the way is made owner-only, whatever the umask: whoever
  // could write in it could replace the settings and point the default key elsewhere.
  const size_t root = RootLength(folder);
  for (size_t end = root; end <= folder.size(); ++end) {
    if (end < folder.size() && !IsSeparator(folder[end])) continue;
    const std::string part = folder.substr(0, end);
    if (part.size() > root && !IsDirectory(part)) MakeFolder(part, Access::kPrivate);
  }
}

std::string SettingsFilePath() { return JoinPath(SystemFolder(), "mlinfo.dat"); }
std::string LogFilePath() { return JoinPath(SystemFolder(), "mllog.txt"); }
std::string HelpFilePath() { return JoinPath(SystemFolder(), "mlhelp.txt"); }

std::string HelpFileToRead() {
  if (PathExists(HelpFilePath())) return HelpFilePath();
  const std::string program_folder = ProgramFolder();
  if (!program_folder.empty()) {
    // MARROWLOCK_DATA_FROM_PROGRAM is the data folder relative to the program's
    // folder in an installed tree, such as "../share/marrowlock".
    for (const std::string& folder :
         {program_folder, JoinPath(program_folder, MARROWLOCK_DATA_FROM_PROGRAM)}) {
      const std::string candidate = JoinPath(folder, "mlhelp.txt");
      if (PathExists(candidate)) return candidate;
    }
  }
  return HelpFilePath();
}

}  // namespace marrowlock
