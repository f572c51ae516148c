// SPDX-License-Identifier: MIT
#include "files/save_text.h"

#include <optional>
#include <string>

#include "files/decrypted_output.h"
#include "platform/file_system.h"
#include "platform/output_file.h"
#include "platform/paths.h"
#include "state/window_commands.h"

namespace marrowlock {

void SaveTextCommand(ProgramState& s) {
  if (s.BinaryMode || s.Form1.Text1.Text.empty()) return;

  try {
    std::string cwd = WorkingDirectory();
    FileDialogRequest request;
    request.Title = "Save Text";
    request.Filter =
        "All Files (*.*)|*.*|Text Files"
        "(*.txt)|*.txt|Documents Files (*.doc;*.)|*.doc;*.";
    request.FilterIndex = 2;
    request.InitialDirectory = cwd;
    request.FileName = "";
    request.ForSaving = true;
    std::optional<std::string> chosen = s.platform.OpenFileDialog(request);
    if (!chosen || chosen->empty()) return;

    std::string name = BareName(*chosen, cwd);
    if (RefuseReplacingInput(s, name)) return;
    // The text goes to a temporary file first, so a failed save keeps the old file.
    // Any text may be a decrypted one: it is the owner's only.
    ReplaceFile(name, Access::kPrivate, [&](File& out) { out.Write(s.Form1.Text1.Text); });
    s.Form1.Label5.Caption = "Decrypted file(" + name + ")";
  } catch (const FileError& e) {
    Refuse(s, e.what());
    return;
  }
  RefreshWindow(s);
}

}  // namespace marrowlock
