// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cipher/pipeline.h"

namespace marrowlock {

// What marrowlock-cli was asked to do.
enum class CliCommand { kEncrypt, kDecrypt, kKey, kHelp, kVersion };

struct CliOptions {
  CliCommand command = CliCommand::kHelp;
  std::optional<std::string> key;     // -k: a key file path, as the shell gave it
  std::optional<std::string> output;  // -o: an output path, or "-" for standard output
  bool force = false;                 // -f
  bool quiet = false;                 // -q
  std::optional<int> jobs;            // -j: files worked on at a time
  // The FILE arguments ("-" is standard input); for `key`, the key file if named.
  std::vector<std::string> files;
};

// The command line read, or why it cannot be: `error` is a usage error's message
// when `options` is empty.
struct CliArguments {
  std::optional<CliOptions> options;
  std::string error;
};

// Reads the arguments in the way of GNU tools (getopt_long): options anywhere, short
// and long forms ("-k KEY", "-kKEY", "--key KEY", "--key=KEY"), single-letter
// options that take no value written together ("-fq"), and "--" ending the options.
// The first argument that is not an option names the command.
CliArguments ParseCliArguments(const std::vector<std::string>& args);

}  // namespace marrowlock
