// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "frontends/cli/cli_options.h"

namespace marrowlock {

// One FILE's work: where it is read from and where its result goes.
struct FileJob {
  std::string input;   // a path, or "-" for standard input
  std::string output;  // a path, or "-" for standard output

  // The input as messages name it.
  std::string Label() const { return input == "-" ? "standard input" : input; }
};

// One job per FILE, or one for standard input when there is none. A FILE's output is
// the -o name when given, standard output for standard input, and otherwise its name
// by the program's naming rules, beside it: "dir/a.txt" -> "dir/a.enc" when
// encrypting, "dir/a.enc" -> "dir/a.dec" (up to the first dot) when decrypting.
std::vector<FileJob> PlanJobs(const CliOptions& options, Direction direction);

// What makes the call unsafe as a whole, found before anything is written: two
// inputs whose outputs are one file (however their folders are reached), an output
// that is one of the inputs, an output that is the key file `key` (through any name
// or link), and standard output redirected into an input or the key. One message per
// problem; none when all is well.
std::vector<std::string> RefusePlan(const std::vector<FileJob>& jobs, const std::string& key);

}  // namespace marrowlock
