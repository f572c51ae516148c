// SPDX-License-Identifier: MIT
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "support/temp_dir.h"

namespace marrowlock {

TempDir::TempDir() {
  std::random_device random;
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
    std::filesystem::path candidate = base / ("marrowlock-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(candidate)) path_ = candidate.string();
  }
  if (path_.empty()) throw std::runtime_error("cannot make a temporary folder");
  previous_cwd_ = std::filesystem::current_path().string();
  std::filesystem::current_path(path_);
  const char* home = std::getenv("MARROWLOCK_HOME");
  had_home_ = home != nullptr;
  if (home) previous_home_ = home;
  ::_putenv_s("MARROWLOCK_HOME", this->home().c_str());
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::current_path(previous_cwd_, ec);
  // An empty value removes the variable.
  ::_putenv_s("MARROWLOCK_HOME", had_home_ ? previous_home_.c_str() : "");
  std::filesystem::remove_all(path_, ec);
}

void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(std::filesystem::u8path(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(
      std::filesystem::symlink_status(std::filesystem::u8path(path), ec));
}

bool MakeFolder(const std::string& path, unsigned /*mode*/) {
  std::error_code ec;
  return std::filesystem::create_directory(std::filesystem::u8path(path), ec);
}

std::optional<unsigned> PermissionBits(const std::string& /*path*/) { return std::nullopt; }

bool MakeFifo(const std::string& /*path*/) { return false; }

}  // namespace marrowlock
