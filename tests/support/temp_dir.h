// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace marrowlock {

// A fresh folder that becomes the working directory for the life of the object;
// the previous working directory is restored and the folder removed afterwards.
// MARROWLOCK_HOME points into it, so settings and log files stay inside too.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // Absolute path of `name` inside the folder.
  std::string operator/(std::string_view name) const { return path_ + "/" + std::string(name); }
  // The system folder used while this object lives ("<path>/home").
  std::string home() const { return path_ + "/home"; }

 private:
  std::string path_;
  std::string previous_cwd_;
  std::string previous_home_;
  bool had_home_ = false;
};

// Small file helpers for tests.
void WriteFile(const std::string& path, std::string_view bytes);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);
// Makes the folder `path` with the permission bits `mode` less the umask (a Windows
// folder takes its parent's access list); false when it cannot be made.
bool MakeFolder(const std::string& path, unsigned mode = 0755);
// The permission bits of `path` (mode & 07777, following links), or nullopt on
// Windows, where access lists take their place.
std::optional<unsigned> PermissionBits(const std::string& path);
// Makes a named pipe (FIFO) at `path`, for the owner only; false on Windows, whose
// folders hold no pipes.
bool MakeFifo(const std::string& path);

}  // namespace marrowlock
