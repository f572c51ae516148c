// SPDX-License-Identifier: MIT
#include "frontends/qt/desktop.h"

#include <QApplication>

#include "app/command_line.h"
#include "app/start_up.h"
#include "app/unsynced_folders.h"
#include "frontends/qt/app_icon.h"
#include "frontends/qt/qt_platform.h"
#include "platform/temporary_names.h"
#include "state/program_exit.h"
#include "state/program_state.h"
#include "state/window_commands.h"

namespace marrowlock {

int RunDesktop(int argc, char** argv) {
  // Qt takes the options it knows (-reverse, -style, ...) out of the arguments it is
  // given. It gets the program's name only, so that every argument keeps the meaning
  // the command line gives it: "marrowlock -reverse" encrypts a file named "-reverse".
  char program_name[] = "marrowlock";
  int qt_argc = 1;
  char* qt_argv[] = {argc > 0 ? argv[0] : program_name, nullptr};
  QApplication app(qt_argc, qt_argv);
  QApplication::setApplicationName(QStringLiteral("marrowlock"));
  QApplication::setWindowIcon(AppIcon());

  // A window run cut short by Ctrl+C, kill or a logout (SIGTERM, SIGHUP) leaves no
  // hidden temporary behind. Installed here, since the window module keeps the
  // table of names that its own outputs register.
  RemoveTemporariesOnSignals();
  QtPlatform platform;
  UnsyncedFolderMessages unsynced(platform);
  ProgramState s(platform);
  platform.Attach(s);
  SetCommandLine(s, argc, argv);
  if (std::optional<int> status = RunStartUp(s)) return *status;
  if (std::optional<int> status = platform.exit_status()) return *status;

  platform.RunHandler([&s] { ShowMainWindow(s); });
  return QApplication::exec();
}

}  // namespace marrowlock
