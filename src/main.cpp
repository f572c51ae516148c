// SPDX-License-Identifier: MIT
#include <cstdlib>
#include <iostream>
#include <string>

#include "app/command_line.h"
#include "app/usage_text.h"
#include "frontends/console/console_platform.h"
#include "platform/display_probe.h"
#include "platform/file_system.h"
#include "platform/loadable_module.h"
#include "platform/program_arguments.h"
#include "platform/temporary_names.h"
#include "state/program_exit.h"

#ifdef MARROWLOCK_WIN32_WINDOW
#include "frontends/win32/desktop.h"
#endif

namespace {

#ifdef MARROWLOCK_GUI
// The window module sits beside the program in a build folder, and in the library
// folder, found from the program's own folder, once installed.
int RunWindow(int argc, char** argv) {
  try {
    return marrowlock::RunModule("marrowlock-window", MARROWLOCK_INSTALLED_MODULE,
                                 "marrowlock_run_desktop", argc, argv);
  } catch (const marrowlock::FileError& e) {
    std::cerr << e.what() << "\n";
    return marrowlock::kExitFailure;
  }
}
#endif

}  // namespace

int main(int argc, char** argv) {
  using namespace marrowlock;
  ProgramArguments arguments(argc, argv);
  argc = arguments.argc();
  argv = arguments.argv();
  IgnoreFileSizeSignal();
  // The desktop entry passes its file after --open: the name is taken as it is and
  // opened with the window, never read as options or as batch mode. Anything that
  // goes wrong from there is shown in the window's message boxes.
  if (IsOpenCommandLine(argc, argv)) {
    if (argc > 3) {
      std::cerr << "marrowlock: --open takes one file name; see marrowlock --help.\n";
      return kExitFailure;
    }
  } else {
    std::string command_line = JoinArguments(argc, argv);
    // "-h" alone is the usual short form of --help, not the name of a file to encrypt.
    if (command_line == "--help" || command_line == "-h") {
      std::cout << UsageText();
      return kExitOk;
    }
    if (command_line == "--version") {
      std::cout << VersionText() << "\n";
      return kExitOk;
    }
    // Batch runs never need a display, so they are chosen before any window exists.
    if (IsBatchCommandLine(command_line)) return RunBatch(command_line);
  }
  // Qt ends the process when its display does not answer; find out first and say so
  // plainly instead.
  if (!PrepareWindowPlatform()) {
    std::cerr << "No display available.\n";
    return kExitFailure;
  }
#if defined(MARROWLOCK_WIN32_WINDOW)
  return RunWindows(argc, argv);
#elif defined(MARROWLOCK_GUI)
  return RunWindow(argc, argv);
#else
  std::cerr << "This build has no window; add -i to run in batch mode.\n";
  return kExitFailure;
#endif
}
