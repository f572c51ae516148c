// SPDX-License-Identifier: MIT
#include "commands/encrypt_command.h"

#include <algorithm>
#include <optional>

#include "cipher/block_multiplier.h"
#include "cipher/pipeline.h"
#include "commands/encrypted_names.h"
#include "commands/operation_log.h"
#include "commands/run_pacing.h"
#include "commands/throughput.h"
#include "commands/working_file.h"
#include "state/progress_display.h"
#include "state/window_commands.h"

namespace marrowlock {
namespace {

// The file to encrypt in binary mode: the pending name, else the loaded file, else
// a typed name. Nothing when there is none (text mode needs none: it encrypts Text1).
std::optional<std::string> ChooseSource(ProgramState& s) {
  std::string source = s.EncryptSourceName;
  if (!s.BinaryMode || !source.empty()) return source;
  if (!s.LoadedFileName.empty()) return s.LoadedFileName;
  if (s.BatchMode) ExitProgram(s, kExitFailure);
  source = AskName(s, "Enter file to encrypt:");
  if (source.empty()) return std::nullopt;
  return source;
}

// Sources that cannot be encrypted: a missing one, and one already named like its
// encrypted file (which would replace it). A source that cannot be reached for
// another reason than its absence throws its FileError.
bool RefuseSource(ProgramState& s, const std::string& source) {
  CheckReachable(source);
  if (!RegularFileSize(source)) {
    Refuse(s, "No such file found.");
  } else if (SameFile(source, EncryptedNameFor(source))) {
    Refuse(s,
           "Cannot encrypt " + source + ": its encrypted file would take its name and replace it.");
  } else {
    return false;
  }
  return true;
}

// Opens the binary-mode source; its size, taken now, is what the run encrypts.
void OpenSource(ProgramState& s, const std::string& name) {
  s.SourceFileNumber = File::OpenRead(name);
  s.SourceFileNumber.AdviseSequential();
  s.SourceFileSize = s.SourceFileNumber.Size();
  // The progress counts in chunks, of which even an empty file has one.
  s.ChunkCount = std::max<int64_t>(1, (s.SourceFileSize + s.ChunkSize - 1) / s.ChunkSize);
}

// Text mode encrypts the text of Text1.
void TakeText1(ProgramState& s) {
  s.SourceText = s.Form1.Text1.Text;
  s.SourceLength = static_cast<int64_t>(s.SourceText.size());
}

// The blocks of the source, through the pipeline into `out`. Returns the run's
// timing, or nothing when Escape abandoned it.
std::optional<RunTiming> EncryptBlocks(ProgramState& s, WorkingFile& out) {
  const BlockMultiplier multiplier(s.PairKey.data(), s.BlockLength);
  s.SourcePos = 0;
  StartProgress(s, "Encrypting");
  RunTiming timing = StartTiming(s);
  FileSource file(s.SourceFileNumber, s.SourceFileSize);
  MemorySource text(s.SourceText);
  PipelineJob job;
  job.direction = Direction::kEncrypt;
  job.multiplier = &multiplier;
  job.source_kind = s.BinaryMode ? SourceKind::kFile : SourceKind::kText;
  job.in = s.BinaryMode ? static_cast<ByteSource*>(&file) : &text;
  job.out = &out;
  if (RunBlocks(s, job, timing).abandoned) {
    out.Drain();
    return std::nullopt;
  }
  s.SourceText.clear();
  FinishProgress(s);
  return timing;
}

// Lets go of the source file.
void CloseSource(ProgramState& s) { s.SourceFileNumber = File(); }

// Shows the encrypted text, which the run kept in memory, in Text2.
void ReadBackIntoText2(ProgramState& s, const std::string& encrypted) {
  ShowPercent(s, 0);
  ShowStatus(s, "Saving");
  const int64_t size = static_cast<int64_t>(encrypted.size());
  s.Form1.Text2.Text.clear();
  s.Form1.Text2.Text.reserve(static_cast<size_t>(size));
  int last_percent = -1;
  int64_t piece = 1;
  for (int64_t done = 0; done < size; done += s.ChunkSize, ++piece) {
    s.ChunkBuffer.resize(static_cast<size_t>(std::min(s.ChunkSize, size - done)));
    encrypted.copy(s.ChunkBuffer.data(), s.ChunkBuffer.size(), static_cast<size_t>(done));
    s.Form1.Text2.Text += s.ChunkBuffer;
    // piece * 100 / (SourceLength / ChunkSize), in whole numbers.
    int percent =
        static_cast<int>(std::min<int64_t>(100, piece * 100 * s.ChunkSize / s.SourceLength));
    if (percent != last_percent) ShowPercent(s, percent);
    last_percent = percent;
  }
  s.ChunkBuffer.clear();
}

// While the text's output waits for its name, the caption names no file: the
// output has none yet, and an earlier output's name would read as this one's.
void ShowUnnamedCaption(ProgramState& s) {
  if (s.BinaryMode) return;
  s.Form1.Label3.Caption = "Encrypted text()";
  if (!s.BatchMode) RefreshWindow(s);
}

// The run is over: batch mode ends the program, the window hides the progress.
void EndRun(ProgramState& s) {
  if (s.BatchMode) ExitProgram(s, kExitOk);
  StopProgress(s);
  if (s.StartedWithFile) ResetCommandLineState(s);
}

}  // namespace

void EncryptCommand(ProgramState& s) {
  RunningCommand running(s);
  if (!s.KeyLoaded) return Refuse(s, "You need to open a key before encrypting.");
  // An empty text box in text mode has nothing to encrypt, whoever started the run.
  if (!s.BinaryMode && s.Form1.Text1.Text.empty()) return EndRefused(s);
  std::optional<std::string> source = ChooseSource(s);
  if (!source) return;
  s.EncryptSourceName.clear();
  s.SourceText.clear();

  try {
    // A binary run writes beside its output, which its source names: nothing else is
    // touched, and any number of runs can go on in one folder at once. A text's
    // output gets its name only at the end, so it waits in memory (Text2 shows it).
    if (s.BinaryMode) {
      if (RefuseSource(s, *source)) return;
      OpenSource(s, *source);
    } else {
      TakeText1(s);
    }
    WorkingFile out = s.BinaryMode ? WorkingFile::Beside(EncryptedNameFor(*source), Access::kShared)
                                   : WorkingFile::InMemory(Access::kShared);
    std::optional<RunTiming> timing = EncryptBlocks(s, out);
    CloseSource(s);
    if (!timing) {
      ShowAbandoned(s, "Encryption abandoned.");
      s.AbortRequested = false;
      return EndRefused(s);
    }
    out.Drain();
    if (!s.BinaryMode) ReadBackIntoText2(s, out.Memory());
    ShowUnnamedCaption(s);
    s.EncryptSourceName = s.BinaryMode ? EncryptedNameFor(*source) : std::string();
    // Named first, logged after: a log that cannot be written costs only its record,
    // and an output that got no name is gone, so it is not logged.
    if (SaveEncryptedOutput(s, out))
      LogFinishedRun(s, s.BinaryMode ? s.SourceFileSize : s.SourceLength, *timing, "Encrypt");
  } catch (const FileError& e) {
    HideProgress(s);
    CloseSource(s);
    return Refuse(s, e.what());
  }
  EndRun(s);
}

bool SaveEncryptedOutput(ProgramState& s, WorkingFile& out) {
  std::string name = s.EncryptSourceName;
  if (name.empty()) name = AskName(s, "Enter newly encrypted file's name:");
  if (name.empty()) {
    Refuse(s, "Enter a filename.");
    return false;
  }
  name = TypedEncryptedName(name);
  // The name is used up whether or not the rename succeeds: left behind after a
  // failure, the next Encrypt would take the output's name for its source instead
  // of the loaded file.
  s.EncryptSourceName.clear();
  // One rename that replaces: an older file of that name stays whole until the new
  // one takes its place.
  out.Publish(name);
  if (!s.BinaryMode) {
    s.Form1.Label3.Caption = "Encrypted text(" + name + ")";
  } else if (!s.BatchMode) {
    s.Form1.Label3.Caption = "Encrypted binary(" + name + ")";
  }
  if (!s.BatchMode) RefreshWindow(s);
  return true;
}

}  // namespace marrowlock
