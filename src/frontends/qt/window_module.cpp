// SPDX-License-Identifier: MIT
// The entry point of the window module, which the program loads with dlopen when
// it needs a window.
#include "frontends/qt/desktop.h"

extern "C" __attribute__((visibility("default"))) int marrowlock_run_desktop(int argc,
                                                                             char** argv) {
  return marrowlock::RunDesktop(argc, argv);
}
