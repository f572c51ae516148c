#include "cipher/key_file.h"

#include <sys/stat.h>

#include <optional>
#include <string>

#include "app/window_commands.h"
#include "platform/paths.h"

// Key file layout (".mlk"): exactly 2N bytes, no header.
//   offset 0  N bytes  Pair, the encrypting multiplier, big-endian
//   offset N  N bytes  Pal, the decrypting multiplier, big-endian
// The length alone gives N: 2, 4, 8, 16, 32 or 512 bytes for N = 1, 2, 4, 8, 16, 256.

namespace marrowlock {
namespace {

bool IsKeyFileLength(int64_t length) {
  return length == 2 || length == 4 || length == 8 || length == 16 || length == 32 || length == 512;
}

// The folder that a relative key name is looked up in: the key directory when it is
// set and is not where we stand, else the working directory itself.
std::string LookupFolder(const ProgramState& s, const std::string& working_directory) {
  if (!s.KeyDirectory.empty() && s.KeyDirectory != working_directory) return s.KeyDirectory;
  return working_directory;
}

// Forces the extension "mlk" on the file-name part: the first dot of the file name
// starts the extension, except a leading dot, which belongs to the name. An
// extension that already reads "mlk" in any case is left alone, since on this file
// system "KEY.MLK" and "KEY.mlk" are two files.
std::string ForceKeyExtension(const std::string& name) {
  const std::string folder = FolderPart(name);
  const std::string file = FileNamePart(name);
  const size_t first = file.find_first_not_of('.');
  const size_t dot = first == std::string::npos ? std::string::npos : file.find('.', first);
  if (dot == std::string::npos) return name + ".mlk";
  if (dot + 1 == file.size()) return name + "mlk";
  if (AsciiLower(file.substr(dot + 1)) == "mlk") return name;
  return folder + file.substr(0, dot + 1) + "mlk";
}

std::string KeyBytesText(const Cells& bytes) {
  std::string text;
  for (uint8_t b : bytes) text += "(" + std::to_string(b) + ") ";
  return text;
}

bool IsEmptyRegularFile(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size == 0;
}

// Ends the attempt after a refusal: in batch mode the program ends with a failure.
void Refuse(ProgramState& s, const std::string& message) {
  s.platform.MessageBox(message);
  if (s.BatchMode) ExitProgram(s, kExitFailure);
}

}  // namespace

void OpenKeyFile(ProgramState& s) {
  std::string name = s.PendingKeyFile;
  if (name.empty()) {
    const std::string working_directory = WorkingDirectory();
    FileDialogRequest request;
    request.Title = "New Key";
    request.Filter = "Key Files (*.mlk)|*.mlk";
    request.FilterIndex = 1;
    request.InitialDirectory = s.KeyDirectory;
    std::optional<std::string> chosen = s.platform.OpenFileDialog(request);
    if (!chosen) return;
    // Keep the folder only when it is not the one the name will be looked up in,
    // so that the file opened is the file chosen.
    s.PendingKeyFile = BareName(*chosen, LookupFolder(s, working_directory));
    name = s.PendingKeyFile;
  }
  if (name.empty()) {
    name = s.platform.InputBox("Enter key file to open:");
    if (name.empty()) return;
  }

  name = ForceKeyExtension(name);
  const std::string working_directory = WorkingDirectory();
  if (!s.KeyDirectory.empty() && s.KeyDirectory != working_directory && name.front() != '/') {
    name = s.KeyDirectory + "/" + name;
  }

  std::string pair;
  std::string pal;
  int n = 0;
  try {
    std::optional<int64_t> length = RegularFileSize(name);
    if (!length || *length == 0) {
      // An empty key file is a leftover of a failed copy: take it away.
      // Failing to delete it changes nothing the user needs to hear about.
      if (IsEmptyRegularFile(name)) {
        try {
          RemoveFile(name);
        } catch (const FileError&) {
        }
      }
      Refuse(s, "No such key file, " + name + ".");
      return;
    }
    File file = File::OpenRead(name);
    const int64_t size = file.Size();
    if (!IsKeyFileLength(size)) {
      file.Close();
      Refuse(s, "Corrupt key file, cannot load file " + name + ".");
      return;
    }
    n = static_cast<int>(size / 2);
    // Read into temporaries: the key in force is replaced only by a complete new one.
    pair = file.Read(n);
    pal = file.Read(n);
    file.Close();
  } catch (const FileError& e) {
    Refuse(s, e.what());
    return;
  }

  const size_t cells = static_cast<size_t>(n);
  s.BlockLength = n;
  s.PlainBlock.assign(cells + 1, 0);
  s.CipherBlock.assign(cells + 1, 0);
  s.DecryptedBlock.assign(cells + 1, 0);
  s.PairKey.assign(cells + 1, 0);
  s.PalKey.assign(cells + 1, 0);
  s.ProductCells.assign(2 * cells + 1, 0);
  for (size_t i = 0; i < cells; ++i) {
    s.PairKey[i] = static_cast<uint8_t>(pair[i]);
    s.PalKey[i] = static_cast<uint8_t>(pal[i]);
  }
  s.KeyLoaded = true;
  s.PendingKeyFile.clear();

  if (!s.BatchMode) {
    s.Form1.FocusText1 = true;
    s.Form1.Text3.Text = KeyBytesText(Cells(s.PairKey.begin(), s.PairKey.begin() + n));
    s.Form1.Text4.Text = KeyBytesText(Cells(s.PalKey.begin(), s.PalKey.begin() + n));
    std::string shown = name;
    const std::string prefix = s.KeyDirectory + "/";
    if (!s.KeyDirectory.empty() && name.compare(0, prefix.size(), prefix) == 0) {
      shown = name.substr(prefix.size());
    }
    s.Form1.Label6.Caption = "Current key(" + shown + ")";
    RefreshWindow(s);
  }
}

void ToggleKeyDisplay(ProgramState& s) {
  const bool show = !s.Form1.Label4.Visible;
  s.Form1.Label4.Visible = show;
  s.Form1.Text3.Visible = show;
  s.Form1.Text4.Visible = show;
  RefreshWindow(s);
}

}  // namespace marrowlock
