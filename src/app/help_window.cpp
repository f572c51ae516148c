// SPDX-License-Identifier: MIT
#include "app/help_window.h"

#include <optional>
#include <string>

#include "platform/file_system.h"
#include "platform/system_paths.h"
#include "state/window_commands.h"

namespace marrowlock {

void ShowHelp(ProgramState& s) {
  if (!s.MLHelp.Exists) {
    s.MLHelp.Exists = true;
    // Without a help text the window is made all the same, empty and hidden: the
    // message is shown once, and the next F1 shows the empty window without it.
    if (!LoadHelpText(s)) return;
  }
  s.MLHelp.Visible = true;
  RefreshWindow(s);
}

bool LoadHelpText(ProgramState& s) {
  s.MLHelp.Text1.Text.clear();
  // The help text is only ever read: a missing file is reported, never created.
  std::string path = HelpFileToRead();
  std::optional<int64_t> length = RegularFileSize(path);
  try {
    if (!length || *length == 0) {
      s.platform.MessageBox("Help file " + HelpFilePath() + " unavailable.");
      return false;
    }
    File in = File::OpenRead(path);
    s.MLHelp.Text1.Text = in.Read(*length);
    in.Close();
    return true;
  } catch (const FileError& e) {
    s.platform.MessageBox(e.what());
    return false;
  }
}

bool HelpKeyPressed(ProgramState& s, const KeyPress& key) {
  const bool escape = key.key == kKeyEscape && key.NoModifiers();
  // While a long command runs, Escape abandons it from this window as from the main
  // window: the user who opened the help meanwhile still means the run.
  if (escape && s.CommandRunning) {
    s.AbortRequested = true;
    return true;
  }
  if (escape || (key.key == kKeyX && key.AltAlone())) {
    s.MLHelp.Visible = false;
    RefreshWindow(s);
    return true;
  }
  return false;
}

void HelpWindowClosed(ProgramState& s) {
  s.MLHelp.Exists = false;
  s.MLHelp.Visible = false;
  s.MLHelp.Text1.Text.clear();
}

}  // namespace marrowlock
