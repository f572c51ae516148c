// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace marrowlock {

// What "marrowlock --help" prints.
std::string UsageText();
// What "marrowlock --version" prints, e.g. "marrowlock 1.1.0".
std::string VersionText();

}  // namespace marrowlock
