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
// else the installed data folder, else the source tree's copy (a run from build/).
std::string HelpFileToRead();

}  // namespace marrowlock
