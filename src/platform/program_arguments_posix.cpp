// SPDX-License-Identifier: MIT
#include "platform/program_arguments.h"

namespace marrowlock {

// The bytes of argv are the names as the system has them.
ProgramArguments::ProgramArguments(int argc, char** argv) : strings_(argv, argv + argc) {
  for (std::string& text : strings_) pointers_.push_back(text.data());
  pointers_.push_back(nullptr);
}

}  // namespace marrowlock
