#pragma once

#include <optional>
#include <string>

namespace marrowlock {

// The settings file mlinfo.dat in the system folder:
//
//   offset   size  field
//   0        1     N1, length of the key directory (0..255)
//   1        N1    key directory, one byte per character, no terminator
//   1+N1     1     N2, length of the default key file name (0..255)
//   2+N1     N2    default key file name (a bare name), no terminator
//
// Anything behind the second string is ignored. A missing file, an empty file and
// a file shorter than its length bytes announce all mean: no settings.
struct Settings {
  std::string KeyDirectory;
  std::string DefaultKeyName;
};

std::optional<Settings> ReadSettingsFile();
// Replaces the settings file. REQUIRES: both strings at most 255 bytes.
void WriteSettingsFile(const std::string& directory, const std::string& name);

}  // namespace marrowlock
