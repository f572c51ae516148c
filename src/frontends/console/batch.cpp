// SPDX-License-Identifier: MIT
#include "app/start_up.h"
#include "app/unsynced_folders.h"
#include "frontends/console/console_platform.h"
#include "platform/temporary_names.h"
#include "state/program_exit.h"
#include "state/program_state.h"

namespace marrowlock {

int RunBatch(const std::string& command_line) {
  // A batch run interrupted by Ctrl+C, kill or a closed terminal leaves no hidden
  // temporary behind.
  RemoveTemporariesOnSignals();
  ConsolePlatform platform;
  UnsyncedFolderMessages unsynced(platform);
  ProgramState s(platform);
  platform.Attach(s);
  s.CommandLineText = command_line;
  if (std::optional<int> status = RunStartUp(s)) return *status;
  // Every command ends a batch run itself, with success only when it got to its
  // end. Coming back here means it stopped short; no window may take over.
  platform.MessageBox("The command stopped before its end.");
  return kExitFailure;
}

}  // namespace marrowlock
