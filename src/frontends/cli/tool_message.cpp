// SPDX-License-Identifier: MIT
#include "frontends/cli/tool_message.h"

#include <cstdio>

#include "platform/console.h"

namespace marrowlock {

std::string ToolMessage(const FileError& error) {
  std::string text = error.what();
  if (!text.empty() && text.front() == 'C') text.front() = 'c';
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

void PrintToolMessage(const std::string& text) {
  // One call, so that the line stays whole.
  WriteText(stderr, "marrowlock-cli: " + text + "\n");
}

}  // namespace marrowlock
