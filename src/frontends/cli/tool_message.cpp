// SPDX-License-Identifier: MIT
#include "frontends/cli/tool_message.h"

#include <cstdio>

namespace marrowlock {

std::string ToolMessage(const FileError& error) {
  std::string text = error.what();
  if (!text.empty() && text.front() == 'C') text.front() = 'c';
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

void PrintToolMessage(const std::string& text) {
  // One call, so that stdio's lock keeps the line whole.
  const std::string line = "marrowlock-cli: " + text + "\n";
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
}

}  // namespace marrowlock
