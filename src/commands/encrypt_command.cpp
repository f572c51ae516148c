#include "commands/encrypt_command.h"

#include <fcntl.h>
#include <sys/stat.h>

#include "cipher/block_framing.h"
#include "cipher/block_multiplier.h"
#include "commands/encrypted_names.h"
#include "commands/operation_log.h"
#include "commands/progress_display.h"
#include "commands/working_file.h"
#include "state/window_commands.h"

namespace marrowlock {
namespace {

const char kWorkingFile[] = "default.enc";

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

// Opens the binary-mode source and reads its first chunk into SourceText.
void OpenSource(ProgramState& s, const std::string& name) {
  s.SourceFileNumber = File::OpenRead(name);
  // Read once from start to end: the system may read ahead further and drop behind.
  ::posix_fadvise(s.SourceFileNumber.Descriptor(), 0, 0, POSIX_FADV_SEQUENTIAL);
  s.SourceReadAhead.clear();
  s.SourceReadAheadPos = 0;
  s.SourceFileSize = s.SourceFileNumber.Size();
  s.FullChunkSize = s.ChunkSize;
  s.NextChunkSize = s.FullChunkSize;
  const int64_t whole = s.SourceFileSize / s.NextChunkSize;
  s.LastChunkSize = s.SourceFileSize % s.NextChunkSize;
  s.ChunksRead = 0;
  if (whole != 0) {
    ReadSourceChunk(s, s.NextChunkSize, s.SourceText);
    s.ChunkCount = whole + (s.LastChunkSize != 0 ? 1 : 0);
  } else {
    ReadSourceChunk(s, s.LastChunkSize, s.SourceText);
    s.SourceFileNumber.Close();
    s.ChunkCount = 1;
  }
  s.ChunksRead += 1;
  s.SourceLength = static_cast<int64_t>(s.SourceText.size());
}

bool MoreToEncrypt(const ProgramState& s) {
  return s.SourcePos < s.SourceLength || (s.BinaryMode && s.ChunksRead != s.ChunkCount);
}

// The block loop. Blocks are taken from SourceText in runs (a run of whole blocks
// ends at a flush or where a refill or the padded last block comes) and multiplied
// together; the flushes, with their event processing and Escape check, come after
// every FlushThreshold bytes exactly as block-by-block work would place them.
// Returns false when the run was abandoned.
bool EncryptBlocks(ProgramState& s, WorkingFile& out, RunTiming& timing) {
  const int n = s.BlockLength;
  const BlockMultiplier multiplier(s.PairKey.data(), n);
  const int64_t threshold = s.FlushThreshold;
  do {
    const size_t run_start = s.OutputBuffer.size();
    const int64_t left = s.SourceLength - s.SourcePos;
    if (left >= n) {
      int64_t wanted = (threshold - static_cast<int64_t>(run_start) + n - 1) / n;
      int64_t blocks = std::max<int64_t>(1, std::min(left / n, wanted));
      s.OutputBuffer.append(s.SourceText, static_cast<size_t>(s.SourcePos),
                            static_cast<size_t>(blocks * n));
      s.SourcePos += blocks * n;
    } else {
      ReadPlainBlock(s);
      s.OutputBuffer.append(reinterpret_cast<const char*>(s.PlainBlock.data()),
                            static_cast<size_t>(n));
    }
    multiplier.Apply(reinterpret_cast<uint8_t*>(s.OutputBuffer.data() + run_start),
                     (s.OutputBuffer.size() - run_start) / static_cast<size_t>(n));

    // Nothing is shown in batch mode, so there the clock is left alone.
    if (!s.BatchMode) UpdateEncryptProgress(s, timing);

    if (static_cast<int64_t>(s.OutputBuffer.size()) >= threshold) {
      s.platform.ProcessEvents();
      if (s.AbortRequested) {
        out.Drain();
        return false;
      }
      out.Append(s.OutputBuffer);
      s.OutputBuffer.clear();
    }
  } while (MoreToEncrypt(s));
  return true;
}

// Shows the encrypted text in Text2, read back from the working file.
void ReadBackIntoText2(ProgramState& s) {
  if (!s.BatchMode) {
    s.Form1.ProgressBar1.Value = 0;
    s.Form1.Label1.Caption = "Saving";
    RefreshWindow(s);
  }
  File in = File::OpenRead(kWorkingFile);
  const int64_t size = in.Size();
  s.Form1.Text2.Text.clear();
  s.Form1.Text2.Text.reserve(static_cast<size_t>(size));
  int last_percent = -1;
  int64_t piece = 1;
  for (int64_t done = 0; done < size; done += s.ChunkSize, ++piece) {
    s.ChunkBuffer = in.Read(std::min(s.ChunkSize, size - done));
    s.Form1.Text2.Text += s.ChunkBuffer;
    if (s.BatchMode) continue;
    // piece * 100 / (SourceLength / ChunkSize), in whole numbers.
    int percent =
        static_cast<int>(std::min<int64_t>(100, piece * 100 * s.ChunkSize / s.SourceLength));
    if (percent != last_percent) {
      s.Form1.ProgressBar1.Value = percent;
      RefreshWindow(s);
      last_percent = percent;
    }
  }
  in.Close();
  s.ChunkBuffer.clear();
}

void AbandonRun(ProgramState& s) {
  if (!s.BatchMode) AbandonProgress(s);
  s.SourceFileNumber = File();
  s.SourceReadAhead.clear();
}

}  // namespace

void EncryptCommand(ProgramState& s) {
  CommandRunningMark running(s.CommandRunning);

  if (!s.KeyLoaded) {
    s.platform.MessageBox("You need to open a key before encrypting.");
    EndRefused(s);
    return;
  }
  // An empty text box in text mode has nothing to encrypt, whoever started the run.
  if (!s.BinaryMode && s.Form1.Text1.Text.empty()) {
    EndRefused(s);
    return;
  }

  std::string source = s.EncryptSourceName;
  if (s.BinaryMode && source.empty()) {
    if (!s.LoadedFileName.empty()) {
      source = s.LoadedFileName;
    } else if (s.BatchMode) {
      ExitProgram(s, kExitFailure);
    } else {
      source = s.platform.InputBox("Enter file to encrypt:");
      if (source.empty()) return;
    }
  }
  s.EncryptSourceName.clear();
  s.SourceText.clear();
  s.OutputBuffer.clear();

  try {
    // Held until the output has its final name: a second run in this folder would
    // otherwise empty "default.enc" under this one.
    WorkingFolderLock folder_lock;
    if (s.BinaryMode) {
      // Nothing may be written for a source that is not there.
      if (!RegularFileSize(source)) {
        s.platform.MessageBox("No such file found.");
        EndRefused(s);
        return;
      }
      // The working file is emptied before the source is read: encrypting the working
      // file itself would destroy it.
      if (SameFile(source, kWorkingFile)) {
        s.platform.MessageBox("Cannot encrypt " + source +
                              ": it is the working file that receives the encrypted data.");
        EndRefused(s);
        return;
      }
      // A source already named like its encrypted file would be replaced by it.
      if (SameFile(source, EncryptedNameFor(source))) {
        s.platform.MessageBox("Cannot encrypt " + source +
                              ": its encrypted file would take its name and replace it.");
        EndRefused(s);
        return;
      }
      OpenSource(s, source);
    } else {
      s.SourceText = s.Form1.Text1.Text;
      s.SourceLength = static_cast<int64_t>(s.SourceText.size());
    }
    WorkingFile out(kWorkingFile, 0666);

    s.OutputBuffer.clear();
    s.SourcePos = 0;
    if (!s.BatchMode) StartProgress(s, "Encrypting");
    RunTiming timing = StartTiming(s);

    if (!EncryptBlocks(s, out, timing)) {
      out.Close();
      AbandonRun(s);
      s.AbortRequested = false;
      EndRefused(s);
      return;
    }
    out.Append(s.OutputBuffer);
    s.OutputBuffer.clear();
    s.SourceText.clear();
    if (!s.BatchMode) FinishProgress(s);
    out.Close();
    s.SourceFileNumber.Close();
    s.SourceReadAhead.clear();
    s.SourceReadAhead.shrink_to_fit();

    AppendLogLine(s, s.BinaryMode ? s.SourceFileSize : s.SourceLength, timing.start, "Encrypt");

    if (!s.BinaryMode) ReadBackIntoText2(s);

    if (!s.BinaryMode) {
      s.Form1.Label3.Caption = "Encrypted text(default.enc)";
    } else if (!s.BatchMode) {
      s.Form1.Label3.Caption = "Encrypted bin(default.enc)";
    }
    if (!s.BatchMode) RefreshWindow(s);

    s.EncryptSourceName = s.BinaryMode ? EncryptedNameFor(source) : std::string();
    SaveEncryptedOutput(s);
  } catch (const FileError& e) {
    s.platform.MessageBox(e.what());
    AbandonRun(s);
    EndRefused(s);
    return;
  }

  if (s.BatchMode) ExitProgram(s, kExitOk);
  StopProgress(s);
  if (s.StartedWithFile) ResetCommandLineState(s);
}

void SaveEncryptedOutput(ProgramState& s) {
  std::string name = s.EncryptSourceName;
  if (name.empty()) name = s.platform.InputBox("Enter newly encrypted file's name:");
  if (name.empty()) {
    s.platform.MessageBox("Enter a filename.");
    EndRefused(s);
    return;
  }
  name = TypedEncryptedName(name);
  // One rename that replaces: an older file of that name stays whole until the new
  // one takes its place.
  RenameReplacing(kWorkingFile, name);
  if (!s.BinaryMode) {
    s.Form1.Label3.Caption = "Encrypted text(" + name + ")";
  } else if (!s.BatchMode) {
    s.Form1.Label3.Caption = "Encrypted binary(" + name + ")";
  }
  s.EncryptSourceName.clear();
  if (!s.BatchMode) RefreshWindow(s);
}

}  // namespace marrowlock
