// SPDX-License-Identifier: MIT
#include "support/temp_dir.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace marrowlock {

TempDir::TempDir() {
  std::string pattern = std::filesystem::temp_directory_path().string() + "/marrowlock-test-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (!::mkdtemp(name.data())) throw std::runtime_error("mkdtemp failed");
  path_ = name.data();
  previous_cwd_ = std::filesystem::current_path().string();
  std::filesystem::current_path(path_);
  const char* home = std::getenv("MARROWLOCK_HOME");
  had_home_ = home != nullptr;
  if (home) previous_home_ = home;
  ::setenv("MARROWLOCK_HOME", this->home().c_str(), 1);
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::current_path(previous_cwd_, ec);
  if (had_home_) {
    ::setenv("MARROWLOCK_HOME", previous_home_.c_str(), 1);
  } else {
    ::unsetenv("MARROWLOCK_HOME");
  }
  // Tests may leave read-only folders behind; make them writable so they can go.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    if (it->is_directory(ec)) {
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ec);
    }
  }
  std::filesystem::remove_all(path_, ec);
}

void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

bool MakeFolder(const std::string& path, unsigned mode) {
  return ::mkdir(path.c_str(), static_cast<mode_t>(mode)) == 0;
}

std::optional<unsigned> PermissionBits(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return 0u;
  return static_cast<unsigned>(st.st_mode & 07777);
}

bool MakeFifo(const std::string& path) { return ::mkfifo(path.c_str(), 0600) == 0; }

}  // namespace marrowlock
