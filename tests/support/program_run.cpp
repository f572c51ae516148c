// SPDX-License-Identifier: MIT
// What the runs of the real programs share on every system; starting them is in
// program_run_posix.cpp and program_run_windows.cpp.
#include "support/program_run.h"

namespace marrowlock {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

}  // namespace marrowlock
