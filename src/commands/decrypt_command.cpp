// SPDX-License-Identifier: MIT
#include "commands/decrypt_command.h"

#include <algorithm>
#include <optional>

#include "cipher/block_multiplier.h"
#include "cipher/pipeline.h"
#include "commands/encrypted_names.h"
#include "commands/operation_log.h"
#include "commands/run_pacing.h"
#include "commands/throughput.h"
#include "commands/working_file.h"
#include "files/decrypted_output.h"
#include "platform/file_identity.h"
#include "platform/paths.h"
#include "state/encoding_choice.h"
#include "state/progress_display.h"
#include "state/window_commands.h"

namespace marrowlock {
namespace {

// Without a pending name the user picks the encrypted file in a dialog; false when
// the dialog was cancelled.
bool AskInDialog(ProgramState& s) {
  if (!s.DecryptSourceName.empty()) return true;
  FileDialogRequest request;
  request.Title = "Decrypt";
  request.InitialDirectory = WorkingDirectory();
  request.Flags = 1;
  request.Filter = "Encrypted Files (*.enc)|*.enc";
  std::optional<std::string> chosen = s.platform.OpenFileDialog(request);
  if (!chosen) return false;
  s.DecryptSourceName = BareName(*chosen, WorkingDirectory());
  return true;
}

// The encrypted file to open: the pending name or a typed one, with the extension
// "enc". Nothing when no name was given.
std::optional<std::string> EncryptedFileName(ProgramState& s) {
  std::string name = s.DecryptSourceName;
  if (name.empty()) name = s.platform.InputBox("Enter file to open and decrypt:");
  if (name.empty()) return std::nullopt;
  return EncryptedFileToOpen(name);
}

// A missing or empty encrypted file has nothing to decrypt; one that cannot be
// reached for another reason is refused with that reason.
bool RefuseMissing(ProgramState& s, const std::string& name) {
  try {
    CheckReachable(name);
  } catch (const FileError& e) {
    Refuse(s, e.what());
    return true;
  }
  std::optional<int64_t> size = RegularFileSize(name);
  if (size && *size > 0) return false;
  // An empty file of that name holds nothing to decrypt and goes, as it always has.
  if (size) {
    try {
      RemoveFile(name);
    } catch (const FileError&) {
    }
  }
  Refuse(s, "No such file found.");
  return true;
}

// The name a batch run gives its result, settled before anything is decrypted so
// that the result can be written beside it: the "-o" name, asked for when "-o" came
// without one, or else the name derived from the encrypted file. Nothing when the
// name was refused (which ends a batch run).
std::optional<std::string> BatchOutputName(ProgramState& s, const std::string& name) {
  if (!s.OutputNameGiven) return BatchDecryptedName(name);
  // The rules of RenameCommand, which names the result of a window run with "-o".
  s.RenameRequested = true;
  std::string source;
  return SettleDecryptedName(s, source);
}

// Where a decryption's bytes go: the working file, and Text1 or, when the result is
// held, BinaryData, which grows by what reaches the file.
class DecryptedSink final : public ByteSink {
 public:
  DecryptedSink(ProgramState& s, WorkingFile& out) : s_(s), out_(out) {}
  void Write(std::string_view bytes) override {
    const int64_t written = out_.Append(bytes);
    if (s_.BinaryMode) {
      if (s_.BinaryData.IsFileBacked()) s_.BinaryData.GrowBacked(written);
    } else {
      s_.Form1.Text1.Text += bytes;
    }
  }

 private:
  ProgramState& s_;
  WorkingFile& out_;
};

void DrainInto(ProgramState& s, WorkingFile& out) {
  int64_t written = out.Drain();
  if (s.BinaryMode && s.BinaryData.IsFileBacked()) s.BinaryData.GrowBacked(written);
}

// Only once there is something to decrypt is the user's text given up for the result.
void GiveUpText(ProgramState& s) {
  const std::string pending_name = s.DecryptSourceName;
  const std::optional<FileIdentity> encrypted = s.DecryptedFrom;
  ClearText(s);
  s.DecryptSourceName = pending_name;
  s.DecryptedFrom = encrypted;
}

// Starts a run over the encrypted file `in`, whose result `out` receives. A window
// run's binary result is held in BinaryData through a descriptor of its own of that
// file, so that the result is named by a link and renamed later without a copy.
void StartRun(ProgramState& s, File& in, WorkingFile& out, bool hold_result) {
  if (!s.BinaryMode) s.Form1.Text1.Text.clear();
  s.CipherLength = in.Size();
  StartProgress(s, "Decrypting");
  s.BinaryData.clear();
  if (s.BinaryMode && hold_result) s.BinaryData.BackByFile(out.file().Duplicate());
  s.CipherPos = 0;
  s.InputDamaged = false;
}

// The blocks of the encrypted file `in`, through the pipeline into `out`. Returns
// the run's timing, or nothing when Escape abandoned it.
std::optional<RunTiming> DecryptBlocks(ProgramState& s, File& in, WorkingFile& out) {
  const BlockMultiplier multiplier(s.PalKey.data(), s.BlockLength);
  RunTiming timing = StartTiming(s);
  s.DecryptSourceName.clear();
  FileSource source(in, s.CipherLength);
  DecryptedSink sink(s, out);
  PipelineJob job;
  job.direction = Direction::kDecrypt;
  job.multiplier = &multiplier;
  job.in = &source;
  job.out = &sink;
  const RunOutcome outcome = RunBlocks(s, job, timing);
  if (outcome.abandoned) {
    // Nothing of an abandoned run is kept: a part held would be saved by the next
    // Rename as if it were the whole result.
    s.BinaryData.clear();
    return std::nullopt;
  }
  // One stray byte after the last whole block is ignored silently; two or more mean
  // the file lost part of a block. The time the message waits is the user's.
  if (outcome.left_over >= 2) {
    const double before = s.platform.SecondsSinceMidnight();
    s.InputDamaged = true;
    s.platform.MessageBox("File was damaged, exiting");
    CountUserWait(s, before);
  }
  DrainInto(s, out);
  return timing;
}

// Writes the held result under its name (SaveDecryptedOutput, or RenameCommand for
// "-o"); SaveFailed tells whether that failed.
void NameResult(ProgramState& s, const std::string& name) {
  ShowStatus(s, "Saving");
  s.SaveFailed = false;
  if (s.OutputNameGiven) {
    RenameCommand(s);
  } else {
    s.DecryptSourceName = name;
    SaveDecryptedOutput(s);
    s.DecryptSourceName.clear();
  }
}

// The run is over; a batch run ends the program, failing when the input was damaged.
// A save that failed or was abandoned has left its word on the status line.
void EndRun(ProgramState& s) {
  if (s.BatchMode) ExitProgram(s, s.InputDamaged ? kExitFailure : kExitOk);
  if (!s.SaveFailed) StopProgress(s);
}

}  // namespace

void DecryptCommand(ProgramState& s) {
  RunningCommand running(s);
  if (!AskInDialog(s)) return EndRefused(s);
  // Checked on every road, the command line's included: without a key there are no
  // tables to decrypt with.
  if (!s.KeyLoaded) return Refuse(s, "You need to open a key before decrypting.");
  std::optional<std::string> name = EncryptedFileName(s);
  if (!name) return EndRefused(s);
  if (RefuseMissing(s, *name)) return;
  // A batch run writes its result straight beside its final name; so does a window
  // run in binary mode, holding it there for its naming and later Renames. No run
  // leaves any other copy of the plaintext.
  const bool batch = s.BatchMode && s.BinaryMode;
  std::optional<std::string> target;
  if (batch) {
    target = BatchOutputName(s, *name);
    if (!target) return EndRefused(s);
  } else if (s.OutputNameGiven) {
    target = s.CommandLineOutputName;
  }
  // No output may replace what the run reads: the encrypted file, or the key.
  const std::optional<FileIdentity> held_from = s.DecryptedFrom;
  s.DecryptedFrom = IdentityOf(*name);
  if (target && !target->empty() && RefuseReplacingInput(s, *target)) {
    s.DecryptedFrom = held_from;  // the result held before is still held
    return;
  }

  try {
    File in = File::OpenRead(*name);
    in.AdviseSequential();
    GiveUpText(s);
    // Decrypted data is private: readable by its owner only, whatever the umask. A
    // window run whose name is asked for at its end works beside the ".dec" name.
    WorkingFile out = !s.BinaryMode ? WorkingFile::Discarding()
                      : target && !target->empty()
                          ? WorkingFile::Beside(*target, Access::kPrivate)
                          : WorkingFile::Beside(WithExtension(*name, "dec"), Access::kPrivate);
    StartRun(s, in, out, !batch);
    std::optional<RunTiming> timing = DecryptBlocks(s, in, out);
    if (!s.BinaryMode) ChooseText1Encoding(s, !timing);
    in.Close();
    if (!timing) {
      ShowAbandoned(s, "Decryption abandoned.");
      s.AbortRequested = false;
      return EndRefused(s);
    }
    FinishProgress(s);
    // Named first, logged after: a result that got no name is not logged, and a log
    // that cannot be written costs only its record.
    if (batch) {
      out.Publish(*target);
    } else {
      NameResult(s, *name);
    }
    if (batch || !s.SaveFailed) LogFinishedRun(s, s.CipherLength, *timing, "Decrypt");
    EndRun(s);
  } catch (const FileError& e) {
    HideProgress(s);
    return Refuse(s, e.what());
  }
  if (s.StartedWithFile) ResetCommandLineState(s);
}

}  // namespace marrowlock
