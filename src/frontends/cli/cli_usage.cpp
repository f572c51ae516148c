// SPDX-License-Identifier: MIT
#include "frontends/cli/cli_usage.h"

namespace marrowlock {

std::string CliUsageText() {
  return R"(Usage: marrowlock-cli encrypt [-k KEY] [-o OUTPUT] [-f] [-j N] [-q] [FILE...]
       marrowlock-cli decrypt [-k KEY] [-o OUTPUT] [-f] [-j N] [-q] [FILE...]
       marrowlock-cli key [KEY]
       marrowlock-cli --help | --version
)";
}

std::string CliHelpText() {
  return CliUsageText() + R"(
Encrypts and decrypts files and streams with a Marrowlock key file (.mlk), writing
exactly the files that marrowlock writes. For scripts and pipelines: no window,
nothing asked, and nothing on standard error unless something fails.

Commands:
  encrypt        encrypt each FILE to its .enc name beside it
  decrypt        decrypt each FILE to its .dec name beside it (the name up to
                 its first dot, then .dec)
  key [KEY]      print the block length of KEY (default: the default key) and
                 whether it decrypts what it encrypts

Without FILE, or with FILE '-', standard input is read and the result is
written to standard output.

Options:
  -k, --key=KEY      the key file KEY (a path, as given) instead of the
                     default key
  -o, --output=OUT   write the result of the one FILE to OUT; '-' is
                     standard output
  -f, --force        replace existing outputs, and write encrypted data to a
                     terminal
  -j, --jobs=N       work on N files at a time (default: one per processor)
  -q, --quiet        no progress bar
  -h, --help         show this text
      --version      show the version
  --                 end of options: every later argument is a FILE

The key is checked before any work: a key file of a wrong length, or whose two
numbers are not inverse, is refused. An existing output is never replaced
without -f; two FILEs that would have the same output, an output that is an
input or the key file, and standard output redirected into either are refused
before anything is written. Outputs appear complete or not at all; decrypted files
are readable by their owner only. When a FILE fails, the others go on.

The default key is the one marrowlock's window keeps (Key > Modify Defaults),
in mlinfo.dat in $MARROWLOCK_HOME, else $XDG_CONFIG_HOME/marrowlock, else
~/.config/marrowlock. marrowlock-cli writes no log record and no settings.

Exit status: 0 when everything was done, 1 when anything failed or was
refused, 2 for a usage error.
)";
}

std::string CliVersionText() { return "marrowlock-cli " MARROWLOCK_VERSION; }

}  // namespace marrowlock
