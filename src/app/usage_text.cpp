// SPDX-License-Identifier: MIT
#include "app/usage_text.h"

namespace marrowlock {

std::string UsageText() {
  return R"(Usage: marrowlock [FILE [-i] [-kKEY] [-oOUTPUT]]
       marrowlock --open [FILE]
       marrowlock -h | --help | --version

Encrypts and decrypts files and text with a key file (.mlk).

Without FILE the window opens. With FILE, one command runs on it:
  NAME.enc   is decrypted to a .dec file (or to the -o name)
  NAME.dec   is shown in the window, in text mode (options have no effect)
  any other  is encrypted to its .enc name

Options (written directly after the letter, without a blank):
  -i         batch mode: no window; the program ends when the command ends,
             with status 0 when it ran to its end and non-zero otherwise;
             messages go to standard error, questions are read from
             standard input
  -kKEY      use the key file KEY instead of the default key
  -oOUTPUT   name the output of a decryption; a device or FIFO is written
             into, so -o/dev/stdout writes it to standard output
  --open FILE
             open FILE with the window, as FILE alone would, but with its
             name taken exactly as given: blanks, quotes and -i, -k, -o in
             it are part of the name (the desktop entry uses this form)

The default key is kept in mlinfo.dat, beside the operation log mllog.txt,
in the system folder: $MARROWLOCK_HOME when set, else
$XDG_CONFIG_HOME/marrowlock, else ~/.config/marrowlock. Choose it in the
window (Key > Modify Defaults), or, in batch mode, give the path of a key
file on standard input when asked. A batch run given -kKEY needs none.

Key files are made with marrowlock-keygen [-n N] FILE.
)";
}

std::string VersionText() { return "marrowlock " MARROWLOCK_VERSION; }

}  // namespace marrowlock
