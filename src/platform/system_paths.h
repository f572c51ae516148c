// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace marrowlock {

// The system folder holds the settings file, the operation log and the help text:
// $MARROWLOCK_HOME when set, else $XDG_CONFIG_HOME/marrowlock, else ~/.config/marrowlock.
// It is created by EnsureSystemFolder, before the first file is written there: each
// missing folder on its way is made owner-only (0700), whatever the umask. Throws
// FileError.
std::string SystemFolder();
void EnsureSystemFolder();

std::string SettingsFilePath();  // mlinfo.dat
std::string LogFilePath();       // mllog.txt
std::string HelpFilePath();      // mlhelp.txt in the system folder
// Where the help text is read from: mlhelp.txt in the system folder when it is there,
// else the copy beside the program (a build folder), else the one installed with the
// program (share/marrowlock, found from the program's folder). When none is there,
// HelpFilePath(), so that the missing file is named where a user can put one.
std::string HelpFileToRead();

// The folder of the running program (from /proc/self/exe), without a trailing '/';
// "" when the system does not tell. Files installed with the program are found from
// here, so that it works from whatever prefix it was installed into.
std::string ProgramFolder();

}  // namespace marrowlock
