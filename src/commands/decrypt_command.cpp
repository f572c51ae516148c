#include "commands/decrypt_command.h"

#include <fcntl.h>

#include <algorithm>
#include <optional>

#include "cipher/block_framing.h"
#include "cipher/block_multiplier.h"
#include "commands/encrypted_names.h"
#include "commands/operation_log.h"
#include "commands/progress_display.h"
#include "commands/working_file.h"
#include "files/decrypted_output.h"
#include "platform/paths.h"
#include "state/window_commands.h"

namespace marrowlock {
namespace {

const char kWorkingFile[] = "default.dec";
// Decrypted data is private: the working file is readable by its owner only.
constexpr unsigned kPrivateMode = 0600;
// The encrypted file is read through SourceText in windows of this size (a multiple
// of every block length), not whole.
constexpr int64_t kWindowSize = int64_t{1} << 20;

// Makes sure SourceText holds the block at CipherPos, reading the next window of the
// encrypted file when it does not.
void FillWindow(ProgramState& s, File& in) {
  const int n = s.BlockLength;
  const int64_t window_end = s.SourceTextStart + static_cast<int64_t>(s.SourceText.size());
  if (s.CipherPos + n <= window_end) return;
  s.SourceText.erase(0, static_cast<size_t>(s.CipherPos - s.SourceTextStart));
  s.SourceTextStart = s.CipherPos;
  const int64_t piece = std::min(kWindowSize, s.CipherLength - window_end);
  const size_t kept = s.SourceText.size();
  s.SourceText.resize(kept + static_cast<size_t>(piece));
  in.ReadInto(s.SourceText.data() + kept, piece);
}

// The decrypted bytes of one flush go to the working file and to Text1 or BinaryData.
void Flush(ProgramState& s, WorkingFile& out) {
  int64_t written = out.Append(s.OutputBuffer);
  if (s.BinaryMode) {
    s.BinaryData.GrowBacked(written);
  } else {
    s.Form1.Text1.Text += s.OutputBuffer;
  }
  s.OutputBuffer.clear();
}

void DrainInto(ProgramState& s, WorkingFile& out) {
  int64_t written = out.Drain();
  if (s.BinaryMode) s.BinaryData.GrowBacked(written);
}

// The block loop, in runs of whole blocks as the encryption does it. Returns false
// when the run was abandoned.
bool DecryptBlocks(ProgramState& s, File& in, WorkingFile& out, RunTiming& timing) {
  const int n = s.BlockLength;
  const BlockMultiplier multiplier(s.PalKey.data(), n);
  const int64_t threshold = s.FlushThreshold;
  for (;;) {
    if (s.CipherLength - s.CipherPos < n) {
      ReadCipherBlock(s);  // reports the damage
      return true;
    }
    FillWindow(s, in);
    const size_t run_start = s.OutputBuffer.size();
    const int64_t window_end = s.SourceTextStart + static_cast<int64_t>(s.SourceText.size());
    int64_t wanted = (threshold - static_cast<int64_t>(run_start) + n - 1) / n;
    int64_t blocks = std::max<int64_t>(1, std::min((window_end - s.CipherPos) / n, wanted));
    s.OutputBuffer.append(s.SourceText, static_cast<size_t>(s.CipherPos - s.SourceTextStart),
                          static_cast<size_t>(blocks * n));
    s.CipherPos += blocks * n;
    multiplier.Apply(reinterpret_cast<uint8_t*>(s.OutputBuffer.data() + run_start),
                     static_cast<size_t>(blocks));

    if (!s.BatchMode) UpdateDecryptProgress(s, timing);

    if (static_cast<int64_t>(s.OutputBuffer.size()) >= threshold) {
      s.platform.ProcessEvents();
      if (s.AbortRequested) {
        s.OutputBuffer.clear();
        DrainInto(s, out);
        return false;
      }
      Flush(s, out);
    }
    if (s.CipherPos == s.CipherLength) return true;
  }
}

void ForgetWindow(ProgramState& s) {
  s.SourceText.clear();
  s.SourceText.shrink_to_fit();
  s.SourceTextStart = 0;
}

}  // namespace

void DecryptCommand(ProgramState& s) {
  CommandRunningMark running(s.CommandRunning);

  if (s.DecryptSourceName.empty()) {
    FileDialogRequest request;
    request.Title = "Decrypt";
    request.InitialDirectory = WorkingDirectory();
    request.Flags = 1;
    request.Filter = "Encrypted Files (*.enc)|*.enc";
    std::optional<std::string> chosen = s.platform.OpenFileDialog(request);
    if (!chosen) {
      EndRefused(s);
      return;
    }
    s.DecryptSourceName = BareName(*chosen, WorkingDirectory());
  }
  // Checked on every road, the command line's included: without a key there are no
  // tables to decrypt with.
  if (!s.KeyLoaded) {
    s.platform.MessageBox("You need to open a key before decrypting.");
    EndRefused(s);
    return;
  }
  std::string name = s.DecryptSourceName;
  if (name.empty()) name = s.platform.InputBox("Enter file to open and decrypt:");
  if (name.empty()) {
    EndRefused(s);
    return;
  }
  name = EncryptedFileToOpen(name);

  std::optional<int64_t> size = RegularFileSize(name);
  if (!size || *size == 0) {
    s.platform.MessageBox("No such file found.");
    // An empty file of that name holds nothing to decrypt and goes, as it always has.
    if (size) {
      try {
        RemoveFile(name);
      } catch (const FileError&) {
      }
    }
    EndRefused(s);
    return;
  }

  try {
    // Held until the output has its final name: a second run in this folder would
    // otherwise empty "default.dec" under this one.
    WorkingFolderLock folder_lock;
    File in = File::OpenRead(name);
    ::posix_fadvise(in.Descriptor(), 0, 0, POSIX_FADV_SEQUENTIAL);
    // Only now that there is something to decrypt is the user's text given up.
    const std::string pending_name = s.DecryptSourceName;
    ClearText(s);
    s.DecryptSourceName = pending_name;

    WorkingFile out(kWorkingFile, kPrivateMode);
    if (!s.BinaryMode) s.Form1.Text1.Text.clear();
    s.CipherLength = in.Size();
    if (!s.BatchMode) StartProgress(s, "Decrypting");
    s.BinaryData.clear();
    if (s.BinaryMode) s.BinaryData.BackByFile(WorkingDirectory() + "/" + kWorkingFile);
    s.OutputBuffer.clear();
    ForgetWindow(s);
    s.CipherPos = 0;
    s.InputDamaged = false;
    RunTiming timing = StartTiming(s);
    s.DecryptSourceName.clear();

    const bool finished = DecryptBlocks(s, in, out, timing);
    ForgetWindow(s);
    if (!finished) {
      out.Close();
      in.Close();
      if (!s.BatchMode) AbandonProgress(s);
      s.AbortRequested = false;
      EndRefused(s);
      return;
    }
    if (!s.OutputBuffer.empty()) Flush(s, out);
    DrainInto(s, out);
    out.Close();
    in.Close();
    if (!s.BatchMode) FinishProgress(s);

    AppendLogLine(s, s.CipherLength, timing.start, "Decrypt");

    if (s.BatchMode) {
      if (s.OutputNameGiven) {
        RenameCommand(s);
      } else {
        RenameReplacing(kWorkingFile, BatchDecryptedName(name));
      }
      ExitProgram(s, s.InputDamaged ? kExitFailure : kExitOk);
    }

    s.Form1.ProgressBar1.Value = 100;
    s.Form1.Label1.Caption = "Saving";
    RefreshWindow(s);
    if (s.OutputNameGiven) {
      RenameCommand(s);
    } else {
      s.DecryptSourceName = name;
      SaveDecryptedOutput(s);
      s.DecryptSourceName.clear();
    }
    StopProgress(s);
  } catch (const FileError& e) {
    ForgetWindow(s);
    s.platform.MessageBox(e.what());
    if (!s.BatchMode) AbandonProgress(s);
    EndRefused(s);
    return;
  }
  if (s.StartedWithFile) ResetCommandLineState(s);
}

}  // namespace marrowlock
