// SPDX-License-Identifier: MIT
#include "app/make_key.h"

#include <cerrno>
#include <optional>
#include <string>

#include "cipher/block_lengths.h"
#include "cipher/key_making.h"
#include "commands/key_file.h"
#include "files/setup_dialog.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "state/window_commands.h"

namespace marrowlock {
namespace {

constexpr int kOfferedBlockLength = 16;

// Asks for the key and writes it into `folder`; returns the new file's name, or
// nothing when the user cancelled or the key was refused (the user was told).
std::optional<std::string> MakeKeyIn(ProgramState& s, const std::string& folder) {
  NewKeyRequest request;
  request.Folder = folder;
  request.BlockLengths.assign(kBlockLengths.begin(), kBlockLengths.end());
  request.BlockLength = kOfferedBlockLength;
  std::optional<NewKeyAnswer> answer = s.platform.AskNewKey(request);
  if (!answer || answer->Name.empty()) return std::nullopt;

  std::string name = answer->Name;
  if (name.find('/') != std::string::npos || name == "." || name == "..") {
    s.platform.MessageBox("A key's name is a file name without a folder; \"" + name +
                          "\" cannot be one.");
    return std::nullopt;
  }
  if (!IsBlockLength(answer->BlockLength)) {
    s.platform.MessageBox("A key's block length is 1, 2, 4, 8, 16 or 256 bytes.");
    return std::nullopt;
  }
  if (!EndsWithIgnoringCase(name, ".mlk")) name += ".mlk";
  const std::string path = JoinPath(folder, name);
  try {
    WriteNewKeyFile(path, answer->BlockLength);
  } catch (const FileError& e) {
    if (e.error_number() == EEXIST) {
      s.platform.MessageBox(path + " already exists and is not overwritten; choose another name.");
    } else {
      s.platform.MessageBox(e.what());
    }
    return std::nullopt;
  }
  return name;
}

}  // namespace

void MakeKeyInSetupDialog(ProgramState& s) {
  const std::string folder = s.Dialog.Directory;
  if (std::optional<std::string> name = MakeKeyIn(s, folder)) SetupShowKey(s, *name);
}

void MakeNewKeyCommand(ProgramState& s) {
  std::string folder = s.KeyDirectory;
  try {
    if (folder.empty() || !IsDirectory(folder)) folder = WorkingDirectory();
  } catch (const FileError& e) {
    return Refuse(s, e.what());
  }
  std::optional<std::string> name = MakeKeyIn(s, folder);
  if (!name) return;
  s.PendingKeyFile = JoinPath(folder, *name);
  OpenKeyFile(s);
}

}  // namespace marrowlock
