// SPDX-License-Identifier: MIT
// The settings file may hold anything: a disk error, another program, a user's editor.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "files/settings_file.h"
#include "fuzz_platform.h"
#include "platform/file_system.h"
#include "platform/system_paths.h"

using marrowlock::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  marrowlock::FuzzFolder();
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string path = marrowlock::SettingsFilePath();
  {
    marrowlock::File out = marrowlock::File::Create(path);
    out.Write(bytes);
    out.Close();
  }
  const std::optional<marrowlock::Settings> settings = marrowlock::ReadSettingsFile();

  // What a complete file announces, computed here from the layout.
  const size_t n1 = size > 0 ? static_cast<uint8_t>(bytes[0]) : 0;
  const bool complete = size > 1 + n1 && size >= 2 + n1 + static_cast<uint8_t>(bytes[1 + n1]);
  Check(settings.has_value() == complete);
  if (settings) {
    const size_t n2 = static_cast<uint8_t>(bytes[1 + n1]);
    Check(settings->KeyDirectory == bytes.substr(1, n1));
    Check(settings->DefaultKeyName == bytes.substr(2 + n1, n2));
  }
  // Reading never changes the file.
  Check(marrowlock::ReadWholeFile(path) == bytes);
  return 0;
}
