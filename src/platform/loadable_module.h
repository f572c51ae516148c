// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace marrowlock {

// Loads the module `base_name` (with the system's suffix: ".so", ".dll") and runs its
// entry point `entry`, an int(int, char**), with `argc` and `argv`; returns what it
// returns. The module is looked for beside the program (a build folder), else at
// `installed`, a path relative to the program's folder. Throws FileError
// ("Cannot load the window module <path>: <reason>.") when it cannot be loaded.
int RunModule(const std::string& base_name, const std::string& installed, const char* entry,
              int argc, char** argv);

}  // namespace marrowlock
