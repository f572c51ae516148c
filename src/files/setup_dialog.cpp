// SPDX-License-Identifier: MIT
#include "files/setup_dialog.h"

#include <algorithm>

#include "files/settings_file.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "state/window_commands.h"

namespace marrowlock {
namespace {

// File1's entries: the regular files of `directory` matching "*.mlk", the extension
// compared without regard to case, in byte order. An unreadable folder lists nothing.
std::vector<std::string> ListKeyFiles(const std::string& directory) {
  std::vector<std::string> names;
  for (const FolderEntry& entry : ListFolder(directory)) {
    if (entry.is_regular_file && EndsWithIgnoringCase(entry.name, ".mlk")) {
      names.push_back(entry.name);
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The drive that holds `path`: the longest listed root or volume it lies in.
std::string DriveOf(const std::vector<std::string>& drives, const std::string& path) {
  std::string best;
  for (const std::string& drive : drives) {
    bool inside =
        !drive.empty() &&
        (path == drive || (path.compare(0, drive.size(), drive) == 0 &&
                           (IsSeparator(drive.back()) || IsSeparator(path[drive.size()]))));
    if (inside && drive.size() > best.size()) best = drive;
  }
  if (best.empty() && !drives.empty()) best = drives.front();
  return best;
}

void ShowFilesOf(ProgramState& s, const std::string& directory) {
  s.Dialog.Directory = directory;
  s.Dialog.Files = ListKeyFiles(directory);
  s.Dialog.SelectedFile = -1;
}

std::string SelectedEntry(const SetupDialog& d) {
  if (d.SelectedFile < 0 || d.SelectedFile >= static_cast<int>(d.Files.size())) return "";
  return d.Files[static_cast<size_t>(d.SelectedFile)];
}

void HideDialog(ProgramState& s) {
  s.Dialog.Visible = false;
  s.platform.Redraw();
}

// The dialog's opening: the lists start on the working directory, then move to the
// stored key directory when there is one.
void LoadDialog(ProgramState& s) {
  SetupDialog& d = s.Dialog;
  d.Drives = s.platform.ListDrives();
  try {
    d.StartDirectory = WorkingDirectory();
    d.Drive = DriveOf(d.Drives, d.StartDirectory);
    d.StartDrive = d.Drive;
    ShowFilesOf(s, d.StartDirectory);

    std::optional<Settings> settings = ReadSettingsFile();
    if (!settings) {
      RemoveEmptySettingsFile();
      return;
    }
    if (IsDirectory(settings->KeyDirectory)) {
      d.Directory = settings->KeyDirectory;
    } else {
      s.platform.MessageBox("Couldn't find proper key directory.");
    }
    // The stored name is not preselected, and the drive list stays where it is.
    ShowFilesOf(s, d.Directory);
  } catch (const FileError&) {
    // The dialog is still useful on whatever the lists show.
  }
}

}  // namespace

void RunSetupDialog(ProgramState& s) {
  LoadDialog(s);
  s.Dialog.Exists = true;
  s.Dialog.Visible = true;
  s.platform.Redraw();
  while (s.Dialog.Visible) s.platform.WaitForEvents();
  s.Dialog.Exists = false;
  s.platform.Redraw();
}

void ModifyDefaults(ProgramState& s) {
  try {
    std::optional<Settings> before = ReadSettingsFile();
    if (!before) {
      RemoveEmptySettingsFile();
      before = Settings{};
    }

    s.Form1.Visible = false;
    s.platform.Redraw();
    RunSetupDialog(s);
    s.Form1.Visible = true;
    s.platform.Redraw();

    std::optional<Settings> after = ReadSettingsFile();
    if (!after) {
      RemoveEmptySettingsFile();
      return;
    }
    if (after->KeyDirectory == before->KeyDirectory &&
        after->DefaultKeyName == before->DefaultKeyName) {
      return;
    }
    s.DefaultKeyName = after->DefaultKeyName;
    s.KeyDirectory = after->KeyDirectory;
    s.Form1.Label6.Caption = "Current key()";
    s.KeyLoaded = false;
    RefreshWindow(s);
    s.platform.MessageBox("Default key and key dir successfully changed.");
  } catch (const FileError& e) {
    if (!s.Form1.Visible) {
      s.Form1.Visible = true;
      s.platform.Redraw();
    }
    s.platform.MessageBox(e.what());
  }
}

void SetupDriveChanged(ProgramState& s, const std::string& drive) {
  if (IsDirectory(drive)) {
    s.Dialog.Drive = drive;
    ShowFilesOf(s, drive);
  } else {
    s.platform.MessageBox("That drive is unavailable.");
    s.Dialog.Drive = s.Dialog.StartDrive;
    ShowFilesOf(s, s.Dialog.StartDrive);
  }
  s.platform.Redraw();
}

void SetupDirectoryChanged(ProgramState& s, const std::string& directory) {
  ShowFilesOf(s, directory);
  s.platform.Redraw();
}

void SetupFileSelected(ProgramState& s, int index) {
  bool valid = index >= 0 && index < static_cast<int>(s.Dialog.Files.size());
  s.Dialog.SelectedFile = valid ? index : -1;
}

void SetupFileDoubleClicked(ProgramState& s) {
  std::string name = SelectedEntry(s.Dialog);
  if (name.empty()) return;
  SetupOk(s);
}

void SetupOk(ProgramState& s) {
  // The entry selected now wins; without one, the choice made earlier in this run
  // of the program is written again.
  std::string name = SelectedEntry(s.Dialog);
  std::string directory = s.Dialog.Directory;
  if (name.empty()) {
    name = s.ChosenKeyName;
    directory = s.ChosenKeyDirectory;
  }
  if (name.empty()) return;

  if (name.size() > kMaxSettingsString || directory.size() > kMaxSettingsString) {
    s.platform.MessageBox(
        "The key folder and the key file name can each be at most 255 bytes long; choose a key "
        "with a shorter path.");
    return;
  }
  try {
    WriteSettingsFile(directory, name);
  } catch (const FileError& e) {
    s.platform.MessageBox(e.what());
    return;
  }
  s.ChosenKeyName = name;
  s.ChosenKeyDirectory = directory;
  HideDialog(s);
}

void SetupCancel(ProgramState& s) {
  try {
    SetWorkingDirectory(s.Dialog.StartDirectory);
  } catch (const FileError&) {
    // The folder the dialog started in is gone; stay where we are.
  }
  HideDialog(s);
}

void SetupShowKey(ProgramState& s, const std::string& name) {
  ShowFilesOf(s, s.Dialog.Directory);
  auto it = std::find(s.Dialog.Files.begin(), s.Dialog.Files.end(), name);
  if (it != s.Dialog.Files.end())
    s.Dialog.SelectedFile = static_cast<int>(it - s.Dialog.Files.begin());
  s.platform.Redraw();
}

void SetupKeyPressed(ProgramState& s, const KeyPress& key) {
  if (key.key == kKeyX && key.AltAlone()) SetupCancel(s);
}

}  // namespace marrowlock
