// SPDX-License-Identifier: MIT
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
// Replaces the settings file. Throws FileError, writing nothing, when either
// string is longer than 255 bytes (its length byte could not hold it).
void WriteSettingsFile(const std::string& directory, const std::string& name);
// Deletes the settings file when it is an existing regular file of length 0.
void RemoveEmptySettingsFile();

inline constexpr size_t kMaxSettingsString = 255;

}  // namespace marrowlock
