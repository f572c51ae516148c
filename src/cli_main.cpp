// SPDX-License-Identifier: MIT
// marrowlock-cli: encrypts and decrypts files and streams for scripts and pipelines.

#include <string>
#include <vector>

#include "frontends/cli/cli.h"
#include "platform/program_arguments.h"
#include "platform/temporary_names.h"

int main(int argc, char** argv) {
  marrowlock::ProgramArguments arguments(argc, argv);
  argc = arguments.argc();
  argv = arguments.argv();
  // A file-size limit fails the write that passes it, with its reason, instead of
  // killing the program without a word; Ctrl+C, kill and a closed terminal leave
  // no hidden temporary.
  marrowlock::IgnoreFileSizeSignal();
  marrowlock::RemoveTemporariesOnSignals();
  return marrowlock::RunCli(std::vector<std::string>(argv + 1, argv + argc));
}
