// SPDX-License-Identifier: MIT
// The command-line parser takes any text the shell hands over.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/command_line.h"
#include "fuzz_platform.h"

using marrowlock::Check;
using marrowlock::CommandLine;
using marrowlock::ParseCommandLine;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const CommandLine line = ParseCommandLine(text);

  // The name is a piece of the text, without blanks around it.
  Check(text.find(line.input) != std::string::npos);
  Check(line.input.empty() || (line.input.front() != ' ' && line.input.back() != ' '));
  // Option values end at the next blank.
  Check(line.key.find(' ') == std::string::npos);
  Check(line.output.find(' ') == std::string::npos);
  Check(line.key_given || line.key.empty());
  Check(line.output_given || line.output.empty());

  // Blanks around the whole text change nothing.
  const CommandLine padded = ParseCommandLine("  " + text + " ");
  Check(padded.input == line.input && padded.batch == line.batch && padded.key == line.key &&
        padded.output == line.output);

  marrowlock::IsBatchCommandLine(text);

  // The same bytes as an argument vector, split at NUL bytes, join back with blanks.
  std::string joined_expected = text;
  for (char& c : joined_expected) {
    if (c == '\0') c = ' ';
  }
  std::string storage = text + '\0';
  std::vector<char*> argv = {const_cast<char*>("marrowlock")};
  argv.push_back(storage.data());
  for (size_t i = 0; i < text.size(); ++i) {
    if (storage[i] == '\0') argv.push_back(storage.data() + i + 1);
  }
  Check(marrowlock::JoinArguments(static_cast<int>(argv.size()), argv.data()) == joined_expected);
  return 0;
}
