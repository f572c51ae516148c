// SPDX-License-Identifier: MIT
#include "support/environment.h"

#include <cstdlib>

namespace marrowlock {

ScopedEnvironment::ScopedEnvironment(const std::map<std::string, std::string>& settings) {
  for (const auto& [name, value] : settings) {
    const char* old = std::getenv(name.c_str());
    previous_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    SetEnvironment(name, value);
  }
}

ScopedEnvironment::~ScopedEnvironment() {
  for (const auto& [name, value] : previous_) SetEnvironment(name, value.value_or(""));
}

}  // namespace marrowlock
