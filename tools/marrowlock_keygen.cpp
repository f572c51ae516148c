// SPDX-License-Identifier: MIT
// marrowlock-keygen: makes a new key file. Pair is a random odd number of N bytes,
// Pal its inverse modulo 256^N, so that whatever Pair encrypts Pal decrypts.

#include <cerrno>
#include <cstdio>
#include <string>
#include <string_view>

#include "cipher/block_lengths.h"
#include "cipher/key_making.h"
#include "platform/console.h"
#include "platform/file_system.h"
#include "platform/output_file.h"
#include "platform/program_arguments.h"
#include "platform/temporary_names.h"

namespace {

constexpr const char* kUsage =
    "Usage: marrowlock-keygen [-n N] FILE\n"
    "Writes a new Marrowlock key file FILE of 2N bytes: a random odd multiplier\n"
    "that encrypts, then its inverse modulo 256^N that decrypts.\n"
    "  -n N         bytes per block: 1, 2, 4, 8, 16 or 256 (default 16)\n"
    "  -h, --help   show this text\n"
    "  --version    show the version\n"
    "An existing FILE is never overwritten. The file is readable by its owner only.\n";

constexpr int kExitError = 1;
constexpr int kExitUsage = 2;

int Fail(int status, const std::string& message) {
  marrowlock::WriteText(stderr, "marrowlock-keygen: " + message + "\n");
  return status;
}

bool ParseBlockLength(std::string_view text, int* n) {
  for (int valid : marrowlock::kBlockLengths) {
    if (text == std::to_string(valid)) {
      *n = valid;
      return true;
    }
  }
  return false;
}

// The file layer's messages are sentences ("Cannot create k.mlk: Permission denied.");
// this tool's read like other command-line tools' ("cannot create k.mlk: Permission denied").
std::string AsToolMessage(std::string sentence) {
  if (!sentence.empty() && sentence.front() == 'C') sentence.front() = 'c';
  if (!sentence.empty() && sentence.back() == '.') sentence.pop_back();
  return sentence;
}

}  // namespace

int main(int argc, char** argv) {
  marrowlock::ProgramArguments arguments(argc, argv);
  argc = arguments.argc();
  argv = arguments.argv();
  marrowlock::IgnoreFileSizeSignal();
  marrowlock::RemoveTemporariesOnSignals();
  // The key is complete once it has its name; a folder that cannot be synced after
  // that is a warning, not a failure.
  marrowlock::ReportUnsyncedFolders(
      [](const std::string& target, const marrowlock::FileError& error) {
        std::fprintf(stderr,
                     "marrowlock-keygen: warning: %s; %s is complete, but may not survive a "
                     "power cut\n",
                     AsToolMessage(error.what()).c_str(), target.c_str());
      });
  int n = 16;
  std::string path;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--version") {
      std::fputs("marrowlock-keygen " MARROWLOCK_VERSION "\n", stdout);
      return 0;
    }
    if (arg == "-n" || (arg.size() > 2 && arg.substr(0, 2) == "-n")) {
      std::string_view value = arg.size() > 2 ? arg.substr(2) : std::string_view();
      if (arg.size() == 2) {
        if (i + 1 >= argc)
          return Fail(kExitUsage, "-n needs a block length (1, 2, 4, 8, 16 or 256)");
        value = argv[++i];
      }
      if (!ParseBlockLength(value, &n)) {
        return Fail(kExitUsage, "invalid block length '" + std::string(value) +
                                    "': choose 1, 2, 4, 8, 16 or 256");
      }
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Fail(kExitUsage, "unknown option '" + std::string(arg) + "' (see --help)");
    } else if (path.empty()) {
      path = arg;
    } else {
      return Fail(kExitUsage, "only one FILE may be given (see --help)");
    }
  }
  if (path.empty()) return Fail(kExitUsage, "missing FILE (see --help)");

  try {
    marrowlock::WriteNewKeyFile(path, n);
  } catch (const marrowlock::FileError& e) {
    if (e.error_number() == EEXIST)
      return Fail(kExitError, path + " already exists; not overwriting it");
    return Fail(kExitError, AsToolMessage(e.what()));
  }
  return 0;
}
