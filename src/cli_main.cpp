// SPDX-License-Identifier: MIT
// marrowlock-cli: encrypts and decrypts files and streams for scripts and pipelines.

#include <string>
#include <vector>

#include "frontends/cli/cli.h"

int main(int argc, char** argv) {
  return marrowlock::RunCli(std::vector<std::string>(argv + 1, argv + argc));
}
