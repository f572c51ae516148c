// SPDX-License-Identifier: MIT
#include <stdlib.h>
#include <unistd.h>

#include "support/environment.h"
#include "support/posix_only.h"

namespace marrowlock {

void SetEnvironment(const std::string& name, const std::string& value) {
  if (value.empty()) {
    ::unsetenv(name.c_str());
  } else {
    ::setenv(name.c_str(), value.c_str(), 1);
  }
}

bool RunningAsRoot() { return ::geteuid() == 0; }

bool UnderWine() { return false; }

}  // namespace marrowlock
