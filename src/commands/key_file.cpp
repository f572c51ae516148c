// SPDX-License-Identifier: MIT
#include "commands/key_file.h"

#include <algorithm>
#include <optional>
#include <string>

#include "cipher/key_pair.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "state/window_commands.h"

namespace marrowlock {
namespace {

// The folder that a relative key name is looked up in: the key directory when it is
// set and is not where we stand, else the working directory itself.
std::string LookupFolder(const ProgramState& s, const std::string& working_directory) {
  if (!s.KeyDirectory.empty() && s.KeyDirectory != working_directory) return s.KeyDirectory;
  return working_directory;
}

// The name the user wants: PendingKeyFile, else the dialog's choice, else a typed
// name; nothing when the user cancels.
std::optional<std::string> ChooseKeyName(ProgramState& s, const std::string& working_directory) {
  if (s.PendingKeyFile.empty()) {
    FileDialogRequest request;
    request.Title = "New Key";
    request.Filter = "Key Files (*.mlk)|*.mlk";
    request.FilterIndex = 1;
    request.InitialDirectory = s.KeyDirectory;
    std::optional<std::string> chosen = s.platform.OpenFileDialog(request);
    if (!chosen) return std::nullopt;
    // Keep the folder unless it is the one the name will be looked up in, so that
    // the file opened is the file chosen.
    s.PendingKeyFile = BareName(*chosen, LookupFolder(s, working_directory));
  }
  if (!s.PendingKeyFile.empty()) return s.PendingKeyFile;
  std::string typed = s.platform.InputBox("Enter key file to open:");
  if (typed.empty()) return std::nullopt;
  return typed;
}

// Reads the key file `name`, or refuses it with a message.
std::optional<KeyPair> ReadKeyFile(ProgramState& s, const std::string& name) {
  std::optional<int64_t> length = RegularFileSize(name);
  if (!length || *length == 0) {
    // An empty key file is a leftover of a failed copy: take it away. Failing to
    // delete it changes nothing the user needs to hear about.
    if (IsEmptyRegularFile(name)) {
      try {
        RemoveFile(name);
      } catch (const FileError&) {
      }
    }
    Refuse(s, "No such key file, " + name + ".");
    return std::nullopt;
  }
  KeyFileContents contents = ReadKeyPair(name);
  if (!contents.key) Refuse(s, "Corrupt key file, cannot load file " + name + ".");
  return contents.key;
}

std::string KeyBytesText(const std::vector<uint8_t>& bytes) {
  std::string text;
  for (uint8_t b : bytes) text += "(" + std::to_string(b) + ") ";
  return text;
}

// Makes a completely read key the key in force: new, zeroed tables of its length.
void InstallKey(ProgramState& s, const std::string& name, const KeyPair& key) {
  SetKeyTables(s, key.pair.data(), key.pal.data(), key.BlockLength());
  s.KeyFileName = name;
  s.PendingKeyFile.clear();

  if (s.BatchMode) return;
  s.Form1.FocusText1 = true;
  s.Form1.Text3.Text = KeyBytesText(key.pair);
  s.Form1.Text4.Text = KeyBytesText(key.pal);
  std::string shown = name;
  const std::string prefix = JoinPath(s.KeyDirectory, "");
  if (!s.KeyDirectory.empty() && name.compare(0, prefix.size(), prefix) == 0) {
    shown = name.substr(prefix.size());
  }
  s.Form1.Label6.Caption = "Current key(" + shown + ")";
  RefreshWindow(s);
}

}  // namespace

void OpenKeyFile(ProgramState& s) {
  try {
    // The dialog leaves the working directory alone, so one look serves throughout.
    const std::string working_directory = WorkingDirectory();
    std::optional<std::string> chosen = ChooseKeyName(s, working_directory);
    if (!chosen) return;
    std::string name = ForceKeyExtension(*chosen);
    if (!s.KeyDirectory.empty() && s.KeyDirectory != working_directory && !IsAbsolutePath(name)) {
      name = JoinPath(s.KeyDirectory, name);
    }
    // Read apart: the key in force is replaced only by a complete new one.
    if (std::optional<KeyPair> key = ReadKeyFile(s, name)) InstallKey(s, name, *key);
  } catch (const FileError& e) {
    Refuse(s, e.what());
  }
}

void SetKeyTables(ProgramState& s, const uint8_t* pair, const uint8_t* pal, int n) {
  const size_t cells = static_cast<size_t>(n);
  s.BlockLength = n;
  for (Cells* table : {&s.PlainBlock, &s.CipherBlock, &s.DecryptedBlock, &s.PairKey, &s.PalKey}) {
    table->assign(cells + 1, 0);
  }
  s.ProductCells.assign(2 * cells + 1, 0);
  std::copy(pair, pair + n, s.PairKey.begin());
  std::copy(pal, pal + n, s.PalKey.begin());
  s.KeyLoaded = true;
}

void ToggleKeyDisplay(ProgramState& s) {
  const bool show = !s.Form1.Label4.Visible;
  s.Form1.Label4.Visible = show;
  s.Form1.Text3.Visible = show;
  s.Form1.Text4.Visible = show;
  RefreshWindow(s);
}

}  // namespace marrowlock
