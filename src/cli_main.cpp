// SPDX-License-Identifier: MIT
// marrowlock-cli: encrypts and decrypts files and streams for scripts and pipelines.

#include <string>
#include <vector>

#include "frontends/cli/cli.h"
#include "platform/program_arguments.h"

int main(int argc, char** argv) {
  marrowlock::ProgramArguments arguments(argc, argv);
  argc = arguments.argc();
  argv = arguments.argv();
  return marrowlock::RunCli(std::vector<std::string>(argv + 1, argv + argc));
}
