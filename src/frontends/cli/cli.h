// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace marrowlock {

// Runs marrowlock-cli with `args` (the arguments after the program's name) and
// returns its exit status: 0 when everything was done, 1 when anything failed or
// was refused, 2 for a usage error.
int RunCli(const std::vector<std::string>& args);

}  // namespace marrowlock
