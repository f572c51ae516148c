// SPDX-License-Identifier: MIT
#include "frontends/win32/desktop.h"

#include "frontends/win32/system_headers.h"

#include <commctrl.h>

#include "app/command_line.h"
#include "app/start_up.h"
#include "app/unsynced_folders.h"
#include "frontends/win32/win32_platform.h"
#include "platform/temporary_names.h"
#include "state/program_exit.h"
#include "state/program_state.h"
#include "state/window_commands.h"

namespace marrowlock {

int RunWindows(int argc, char** argv) {
  // The toolbar, the status bar and the progress bar, in the look of the system's
  // controls (version 6, which the program's manifest asks for).
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
  ::InitCommonControlsEx(&controls);

  // A window run cut short by a logout or a console's Ctrl+C leaves no hidden
  // temporary behind.
  RemoveTemporariesOnSignals();
  Win32Platform platform;
  UnsyncedFolderMessages unsynced(platform);
  ProgramState s(platform);
  platform.Attach(s);
  SetCommandLine(s, argc, argv);
  if (std::optional<int> status = RunStartUp(s)) return *status;
  if (std::optional<int> status = platform.exit_status()) return *status;

  platform.RunHandler([&s] { ShowMainWindow(s); });
  return platform.RunMessageLoop();
}

}  // namespace marrowlock
