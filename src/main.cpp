#include <iostream>
#include <string>

#include "app/command_line.h"
#include "app/usage_text.h"
#include "platform/console/console_platform.h"

#ifdef MARROWLOCK_GUI
#include "platform/qt/desktop.h"
#endif

int main(int argc, char** argv) {
  using namespace marrowlock;
  std::string command_line = JoinArguments(argc, argv);
  if (command_line == "--help") {
    std::cout << UsageText();
    return 0;
  }
  if (command_line == "--version") {
    std::cout << VersionText() << "\n";
    return 0;
  }
  // Batch runs never need a display, so they are chosen before any window exists.
  if (IsBatchCommandLine(command_line)) return RunBatch(command_line);
#ifdef MARROWLOCK_GUI
  return RunDesktop(argc, argv);
#else
  std::cerr << "No display available.\n";
  return 1;
#endif
}
