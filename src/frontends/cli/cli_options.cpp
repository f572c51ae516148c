// SPDX-License-Identifier: MIT
#include "frontends/cli/cli_options.h"

#include <getopt.h>

#include <climits>
#include <cstdlib>

namespace marrowlock {
namespace {

// Leading "-": arguments that are not options come back in order, as option 1, so
// that options may follow them whatever POSIXLY_CORRECT says. Then ":": a missing
// value comes back as ':' rather than as an unknown option.
constexpr char kShortOptions[] = "-:k:o:fj:qh";
constexpr int kHelpOption = 256;
constexpr int kVersionOption = 257;

const option kLongOptions[] = {
    {"key", required_argument, nullptr, 'k'},
    {"output", required_argument, nullptr, 'o'},
    {"force", no_argument, nullptr, 'f'},
    {"jobs", required_argument, nullptr, 'j'},
    {"quiet", no_argument, nullptr, 'q'},
    {"help", no_argument, nullptr, kHelpOption},
    {"version", no_argument, nullptr, kVersionOption},
    {nullptr, 0, nullptr, 0},
};

CliArguments UsageError(std::string message) {
  CliArguments result;
  result.error = std::move(message);
  return result;
}

std::optional<int> JobCount(const std::string& text) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return {};
  errno = 0;
  const long value = std::strtol(text.c_str(), nullptr, 10);
  if (errno != 0 || value < 1 || value > INT_MAX) return {};
  return static_cast<int>(value);
}

// The option as the user wrote it, for a message. getopt gives the letter of a
// short option, and of a long one that it knew (0 for one it did not); the argument
// just taken tells which of the two forms it was.
std::string Written(int letter, const std::vector<char*>& argv) {
  const std::string last = optind > 0 ? argv[static_cast<size_t>(optind) - 1] : "";
  const std::string long_form = last.substr(0, last.find('='));
  if (letter == 0) return long_form;
  for (const option& o : kLongOptions) {
    if (o.name != nullptr && o.val == letter && long_form == std::string("--") + o.name) {
      return long_form;
    }
  }
  return std::string("-") + static_cast<char>(letter);
}

// Takes the command or a FILE, in the order given.
bool TakeWord(const std::string& word, bool* have_command, CliOptions& options,
              std::string* error) {
  if (*have_command) {
    options.files.push_back(word);
    return true;
  }
  *have_command = true;
  if (word == "encrypt") {
    options.command = CliCommand::kEncrypt;
  } else if (word == "decrypt") {
    options.command = CliCommand::kDecrypt;
  } else if (word == "key") {
    options.command = CliCommand::kKey;
  } else {
    *error = "unknown command '" + word + "' (encrypt, decrypt or key)";
    return false;
  }
  return true;
}

// What a command does not accept, or "" when all is well.
std::string CheckCombination(const CliOptions& o) {
  if (o.command == CliCommand::kKey) {
    if (o.output || o.force || o.jobs) return "key takes no -o, -f or -j";
    if (o.files.size() + (o.key ? 1 : 0) > 1) return "key checks one key file";
    return "";
  }
  if (o.output && o.files.size() > 1) return "-o names the output of one FILE, not of several";
  int standard_inputs = 0;
  for (const std::string& file : o.files) standard_inputs += file == "-";
  if (standard_inputs > 1) return "standard input ('-') can be read only once";
  if (o.output && o.output->empty()) return "-o needs a name";
  return "";
}

}  // namespace

CliArguments ParseCliArguments(const std::vector<std::string>& args) {
  // getopt_long wants a mutable argv of its own, and a fresh start on every call.
  std::vector<std::string> copies = args;
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>("marrowlock-cli"));
  for (std::string& arg : copies) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const int argc = static_cast<int>(argv.size()) - 1;
  optind = 0;
  opterr = 0;

  CliOptions options;
  bool have_command = false;
  bool help = false;
  bool version = false;
  std::string error;
  for (;;) {
    const int c = getopt_long(argc, argv.data(), kShortOptions, kLongOptions, nullptr);
    if (c == -1) break;
    switch (c) {
      case 1:
        if (!TakeWord(optarg, &have_command, options, &error)) return UsageError(error);
        break;
      case 'k':
        if (options.key) return UsageError("-k given twice");
        options.key = optarg;
        break;
      case 'o':
        if (options.output) return UsageError("-o given twice");
        options.output = optarg;
        break;
      case 'f':
        options.force = true;
        break;
      case 'q':
        options.quiet = true;
        break;
      case 'j':
        options.jobs = JobCount(optarg);
        if (!options.jobs) {
          return UsageError("-j needs a whole number of files at a time, 1 or more, not '" +
                            std::string(optarg) + "'");
        }
        break;
      case 'h':
      case kHelpOption:
        help = true;
        break;
      case kVersionOption:
        version = true;
        break;
      case ':': {
        // The BSD getopt_long of other C libraries (MinGW's) also reports "--force=x",
        // a value given to an option that takes none, as a missing value.
        const std::string last = argv[static_cast<size_t>(optind) - 1];
        if (last.starts_with("--") && last.find('=') != std::string::npos) {
          return UsageError("option " + Written(optopt, argv) + " takes no value");
        }
        return UsageError("option " + Written(optopt, argv) + " needs a value");
      }
      default: {
        const std::string written = Written(optopt, argv);
        if (written.size() > 2 && optopt != 0) {
          return UsageError("option " + written + " takes no value");
        }
        return UsageError("unknown option " + written);
      }
    }
  }
  // After "--" every argument is a word, whatever it looks like.
  for (int i = optind; i < argc; ++i) {
    if (!TakeWord(argv[static_cast<size_t>(i)], &have_command, options, &error)) {
      return UsageError(error);
    }
  }

  CliArguments result;
  if (help || version) {
    options.command = help ? CliCommand::kHelp : CliCommand::kVersion;
    result.options = options;
    return result;
  }
  if (!have_command) return UsageError("no command given (encrypt, decrypt or key)");
  error = CheckCombination(options);
  if (!error.empty()) return UsageError(error);
  result.options = options;
  return result;
}

}  // namespace marrowlock
