// SPDX-License-Identifier: MIT
#include "files/settings_file.h"

#include <algorithm>

#include "platform/file_system.h"
#include "platform/output_file.h"
#include "platform/system_paths.h"

namespace marrowlock {
namespace {

// Two length bytes and two strings of at most 255 bytes each.
constexpr int64_t kLargestSettings = 2 + 2 * static_cast<int64_t>(kMaxSettingsString);

// Takes the length-prefixed string at `pos`; false when the bytes end too early.
bool TakeString(const std::string& bytes, size_t& pos, std::string& out) {
  if (pos >= bytes.size()) return false;
  size_t length = static_cast<unsigned char>(bytes[pos]);
  ++pos;
  if (bytes.size() - pos < length) return false;
  out = bytes.substr(pos, length);
  pos += length;
  return true;
}

}  // namespace

std::optional<Settings> ReadSettingsFile() {
  const std::string path = SettingsFilePath();
  auto size = RegularFileSize(path);
  if (!size || *size == 0) return std::nullopt;

  File in = File::OpenRead(path);
  std::string bytes(static_cast<size_t>(std::min(*size, kLargestSettings)), '\0');
  int64_t got = 0;
  for (;;) {
    int64_t more = in.ReadSome(bytes.data() + got, static_cast<int64_t>(bytes.size()) - got);
    if (more == 0) break;
    got += more;
    if (got == static_cast<int64_t>(bytes.size())) break;
  }
  in.Close();
  bytes.resize(static_cast<size_t>(got));

  // A file cut short is not trusted, but kept: the user may still want to look at it.
  Settings settings;
  size_t pos = 0;
  if (!TakeString(bytes, pos, settings.KeyDirectory)) return std::nullopt;
  if (!TakeString(bytes, pos, settings.DefaultKeyName)) return std::nullopt;
  return settings;
}

void WriteSettingsFile(const std::string& directory, const std::string& name) {
  const std::string path = SettingsFilePath();
  for (const std::string* part : {&directory, &name}) {
    if (part->size() > kMaxSettingsString) {
      throw FileError("write", path,
                      "A key folder or key file name longer than 255 bytes does not fit");
    }
  }
  std::string bytes;
  bytes += static_cast<char>(directory.size());
  bytes += directory;
  bytes += static_cast<char>(name.size());
  bytes += name;
  EnsureSystemFolder();
  // Written beside and renamed over the old file, so that a failure part-way never
  // leaves the program without its default key.
  // Owner-only whatever the umask: whoever could write it could point the default
  // key elsewhere.
  WriteFileReplacing(path, bytes, Access::kPrivate);
}

void RemoveEmptySettingsFile() {
  const std::string path = SettingsFilePath();
  auto size = RegularFileSize(path);
  if (size && *size == 0) RemoveFile(path);
}

}  // namespace marrowlock
