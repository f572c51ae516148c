// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace marrowlock {

// The program's arguments in UTF-8, with argv[0] first, as main's argc and argv. On
// Windows they are taken from the wide command line: the argv that main is given
// holds them in the ANSI code page, which turns every character outside it into '?'.
class ProgramArguments {
 public:
  ProgramArguments(int argc, char** argv);
  ProgramArguments(const ProgramArguments&) = delete;
  ProgramArguments& operator=(const ProgramArguments&) = delete;

  int argc() const { return static_cast<int>(strings_.size()); }
  // Valid while this object lives; ends with a null pointer, as main's does.
  char** argv() { return pointers_.data(); }

 private:
  std::vector<std::string> strings_;
  std::vector<char*> pointers_;
};

}  // namespace marrowlock
