#include "frontends/qt/desktop.h"

#include <QApplication>

#include "app/command_line.h"
#include "app/start_up.h"
#include "frontends/qt/app_icon.h"
#include "frontends/qt/qt_platform.h"
#include "state/program_exit.h"
#include "state/program_state.h"
#include "state/window_commands.h"

namespace marrowlock {

int RunDesktop(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("marrowlock"));
  QApplication::setWindowIcon(AppIcon());

  QtPlatform platform;
  ProgramState s(platform);
  platform.Attach(s);
  s.CommandLineText = JoinArguments(argc, argv);
  if (std::optional<int> status = RunStartUp(s)) return *status;
  if (std::optional<int> status = platform.exit_status()) return *status;

  platform.RunHandler([&s] { ShowMainWindow(s); });
  return QApplication::exec();
}

}  // namespace marrowlock
