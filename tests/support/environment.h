// SPDX-License-Identifier: MIT
#pragma once

#include <map>
#include <optional>
#include <string>

namespace marrowlock {

// Sets environment variables for the life of the object ("" unsets), then puts
// back what was there.
class ScopedEnvironment {
 public:
  explicit ScopedEnvironment(const std::map<std::string, std::string>& settings);
  ~ScopedEnvironment();
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::map<std::string, std::optional<std::string>> previous_;
};

// Sets (or, for "", unsets) one environment variable of the test.
void SetEnvironment(const std::string& name, const std::string& value);

// True when the tests run as root, whom permissions do not stop (never on Windows).
bool RunningAsRoot();

}  // namespace marrowlock
