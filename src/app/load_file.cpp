// SPDX-License-Identifier: MIT
#include "app/load_file.h"

#include <algorithm>
#include <optional>
#include <string>

#include "platform/file_system.h"
#include "platform/paths.h"
#include "state/encoding_choice.h"
#include "state/progress_display.h"
#include "state/window_commands.h"

namespace marrowlock {
namespace {

constexpr const char* kFilterStart =
    "All Files (*.*)|*.*|Text Files"
    "(*.txt)|*.txt|Documents Files (*.doc;*.)|*.doc;*.";
constexpr const char* kTextFilterEnd = "|Decrypted Files (*.dec)|*.dec";
constexpr const char* kBinaryFilterEnd =
    "|Decrypted Files (*.dec)|*.dec|Program Files (*.exe;*.com)|*.exe;*.com"
    "|Winzip Files (*.zip)|*.zip|Picture Files (*.jpg;*.bmp;*.gif)|*.jpg;*.bmp;*.gif";

// Asks for the file in the dialog of the current mode; nothing when cancelled.
std::optional<std::string> ChooseFile(ProgramState& s) {
  std::string cwd = WorkingDirectory();
  FileDialogRequest request;
  request.Title = "Load";
  request.Filter = std::string(kFilterStart) + (s.BinaryMode ? kBinaryFilterEnd : kTextFilterEnd);
  request.FilterIndex = s.BinaryMode ? 1 : 2;
  request.InitialDirectory = cwd;
  request.FileName = "";
  std::optional<std::string> chosen = s.platform.OpenFileDialog(request);
  if (!chosen) return std::nullopt;
  return BareName(*chosen, cwd);
}

// Shows the beginning of `in` (`length` bytes long) in Text1, in reads of ChunkSize.
void ShowText(ProgramState& s, File& in, int64_t length, const std::string& name) {
  RunningCommand running(s);
  // Whole reads up to DisplayLimit, then whatever is left of the limit, so that the
  // text shown is exactly the first min(length, DisplayLimit) bytes.
  int64_t shown = std::min(length, s.DisplayLimit);
  int64_t reads = std::min(length / s.ChunkSize, s.DisplayLimit / s.ChunkSize);
  int64_t rest = shown - reads * s.ChunkSize;

  s.Form1.Text1.Text = "";
  StartProgress(s, "Loading...");
  s.BinaryData.clear();
  double last = -1;
  s.SourceText.assign(static_cast<size_t>(s.ChunkSize), ' ');

  for (int64_t i = 1; i <= reads; ++i) {
    s.platform.ProcessEvents();
    in.ReadInto(s.SourceText.data(), s.ChunkSize);
    if (s.AbortRequested) {
      in.Close();
      s.SourceText.clear();
      ChooseText1Encoding(s, true);
      HideProgress(s);
      s.AbortRequested = false;
      return;
    }
    double t = s.platform.SecondsSinceMidnight();
    if (last == -1 || t >= last + s.ProgressInterval) {
      ShowPercent(s, static_cast<int>(i * 95 / reads));
      ShowStatus(s, "Loading..." + s.LineBreak + " " + std::to_string(i * 100 / reads) + "%");
      last = t;
    }
    s.Form1.Text1.Text += s.SourceText;
  }
  if (rest > 0) s.Form1.Text1.Text += in.Read(rest);

  FinishProgress(s);
  s.SourceText.clear();
  in.Close();
  s.Form1.Label5.Caption = "Decrypted File:(" + name + ")";
  ChooseText1Encoding(s, shown < length);
  HideProgress(s);
  if (s.StartedWithFile) ResetCommandLineState(s);
}

}  // namespace

void LoadFile(ProgramState& s) {
  try {
    if (s.LoadedFileName.empty()) {
      std::optional<std::string> chosen = ChooseFile(s);
      if (!chosen) return;
      s.LoadedFileName = *chosen;
    }
    std::string name = s.LoadedFileName;
    s.LoadedFileName.clear();
    if (name.empty()) {
      name = s.platform.InputBox("Enter file to load:");
      if (name.empty()) return;
    }

    // Only an existing regular file with something in it is opened; nothing is
    // created just to look at a name.
    if (!IsNonEmptyRegularFile(name)) return;
    File in = File::OpenRead(name);
    int64_t length = in.Size();
    if (!s.BinaryMode && length > s.DisplayLimit) {
      s.platform.MessageBox("Overlarge file " + std::to_string(length) + ", displaying first " +
                            std::to_string(s.DisplayLimit) + " bytes.");
    }

    if (s.BinaryMode) {
      in.Close();
      s.Form1.Label5.Caption = "Decrypted File:(" + name + ")";
      RefreshWindow(s);
      s.EncryptSourceName = name;
      s.LoadedFileName = name;
      return;
    }
    ShowText(s, in, length, name);
  } catch (const FileError& e) {
    // A file that cannot be read to its end is not shown as if it were whole.
    s.SourceText.clear();
    HideProgress(s);
    Refuse(s, e.what());
  }
}

}  // namespace marrowlock
