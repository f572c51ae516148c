// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace marrowlock {

// What "marrowlock-cli --help" prints on standard output.
std::string CliHelpText();
// The short usage printed on standard error after a usage error.
std::string CliUsageText();
// What "marrowlock-cli --version" prints, e.g. "marrowlock-cli 1.1.0".
std::string CliVersionText();

}  // namespace marrowlock
