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
    LoadHelpText(s);
    // No help text: the window is not kept, so the next F1 looks for the file again
    // instead of showing an empty window.
    if (!s.MLHelp.Exists) return;
  }
  s.MLHelp.Visible = true;
  RefreshWindow(s);
}

void LoadHelpText(ProgramState& s) {
  // The help text is only ever read: a missing file is reported, never created.
  std::string path = HelpFileToRead();
  std::optional<int64_t> length = RegularFileSize(path);
  try {
    if (!length || *length == 0) {
      s.platform.MessageBox("Help file " + HelpFilePath() + " unavailable.");
    } else {
      File in = File::OpenRead(path);
      s.MLHelp.Text1.Text = in.Read(*length);
      in.Close();
      return;
    }
  } catch (const FileError& e) {
    s.platform.MessageBox(e.what());
  }
  s.MLHelp.Text1.Text.clear();
  s.MLHelp.Exists = false;
  s.MLHelp.Visible = false;
}

void HelpKeyPressed(ProgramState& s, const KeyPress& key) {
  if (key.key == kKeyX && key.AltAlone()) {
    s.MLHelp.Visible = false;
    RefreshWindow(s);
  }
}

void HelpWindowClosed(ProgramState& s) {
  s.MLHelp.Exists = false;
  s.MLHelp.Visible = false;
  s.MLHelp.Text1.Text.clear();
}

}  // namespace marrowlock
