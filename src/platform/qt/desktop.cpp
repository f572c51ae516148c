#include "platform/qt/desktop.h"

#include <QApplication>

#include "app/command_line.h"
#include "app/program_exit.h"
#include "app/program_state.h"
#include "app/start_up.h"
#include "app/window_commands.h"
#include "platform/qt/app_icon.h"
#include "platform/qt/qt_platform.h"

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
