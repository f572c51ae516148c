// SPDX-License-Identifier: MIT
#include "files/decrypted_output.h"

#include <functional>
#include <optional>
#include <string>

#include "platform/file_identity.h"
#include "platform/file_system.h"
#include "platform/output_file.h"
#include "platform/paths.h"
#include "state/progress_display.h"
#include "state/window_commands.h"

namespace marrowlock {
namespace {

// The copy of a source file updates its percentage at most this often, in seconds.
constexpr double kCopyUpdateSeconds = 2.0;

// Escape was pressed while a result was being copied or written.
struct SavingAbandoned {};

bool BeginsWithLetter(const std::string& name) {
  std::string file = FileNamePart(name);
  if (file.empty()) return false;
  char c = AsciiLower(file.substr(0, 1))[0];
  return c >= 'a' && c <= 'z';
}

// Shows how far the copying and writing of a result has come, on the bar and in Label1.
void ShowSaving(ProgramState& s, int64_t percent) {
  ShowPercent(s, static_cast<int>(percent));
  ShowStatus(s, "Saving" + s.LineBreak + " " + std::to_string(percent) + "%");
}

// Lets the window's events run; an Escape pressed meanwhile abandons the save.
void EventsWhileSaving(ProgramState& s) {
  s.platform.ProcessEvents();
  if (s.AbortRequested) throw SavingAbandoned{};
}

// Reads `source` into BinaryData in pieces of ChunkSize, reporting 0..50%.
void CopyIntoBinaryData(ProgramState& s, const std::string& source) {
  // A result that was backed by a working file but holds nothing can be refilled in memory.
  s.BinaryData.clear();
  try {
    File in = File::OpenRead(source);
    int64_t length = in.Size();
    int64_t full = length / s.ChunkSize;
    int64_t rest = length % s.ChunkSize;
    double last_update = -1;
    for (int64_t i = 1; i <= full; ++i) {
      s.BinaryData.Append(in.Read(s.ChunkSize));
      EventsWhileSaving(s);
      double now = s.platform.SecondsSinceMidnight();
      if (last_update == -1 || now >= last_update + kCopyUpdateSeconds) {
        ShowSaving(s, 50 * i / full);
        last_update = now;
      }
    }
    if (rest != 0) s.BinaryData.Append(in.Read(rest));
    in.Close();
  } catch (...) {
    // Half a file held would be written again by the next Rename as if it were whole.
    s.BinaryData.clear();
    throw;
  }
}

// What runs after each piece of a result written or copied: the window's events (an
// Escape abandons the save), and the share written, from `start_percent` on, at most
// once per ProgressInterval; the caller shows "100%" at the end. A result of gigabytes
// so keeps the window answering while it is written.
std::function<void(int64_t, int64_t)> SavingProgress(ProgramState& s, int64_t start_percent) {
  return [&s, start_percent, last_update = -1.0](int64_t written, int64_t total) mutable {
    if (s.BatchMode) return;
    EventsWhileSaving(s);
    if (written == total) return;
    double now = s.platform.SecondsSinceMidnight();
    if (last_update != -1 && now < last_update + s.ProgressInterval) return;
    ShowSaving(s, start_percent + (100 - start_percent) * written / total);
    last_update = now;
  };
}

// Writes the held result under `name`. A result that lies whole in a file of its own
// (a decryption's) takes the name by a link to that file, so nothing is copied but
// to another file system; one held in memory is written out.
void WriteHeldResult(ProgramState& s, const std::string& name, int64_t start_percent) {
  const std::function<void(int64_t, int64_t)> progress = SavingProgress(s, start_percent);
  File* held = s.BinaryData.BackingFile();
  if (held != nullptr && held->Size() == s.BinaryData.size()) {
    PublishHeldFile(*held, name, Access::kPrivate, progress);
    return;
  }
  const int64_t total = s.BinaryData.size();
  ReplaceFile(name, Access::kPrivate, [&](File& out) {
    s.BinaryData.WriteTo(out, [&](int64_t written) { progress(written, total); });
  });
}

}  // namespace

std::optional<std::string> SettleDecryptedName(ProgramState& s, std::string& source) {
  bool no_command_line_name = s.OutputNameGiven && s.CommandLineOutputName.empty();
  std::string name;
  if ((no_command_line_name || !s.RenameRequested) && !s.StartedWithFile) {
    if (source.empty()) {
      name = AskName(s, "Enter newly decrypted file's name:");
    } else {
      name = source;
      source.clear();
    }
  } else if (s.RenameRequested) {
    if (s.OutputNameGiven && !s.CommandLineOutputName.empty()) {
      name = s.CommandLineOutputName;
    } else {
      name = AskName(s, "Enter new name for file:");
    }
  } else {
    name = source;
    source.clear();
  }

  if (name.empty()) {
    // In the window a cancelled name box speaks for itself; a batch run that ends
    // with a failure says why.
    if (s.BatchMode) Refuse(s, "No name was given; nothing was saved.");
    return std::nullopt;
  }
  if (!s.RenameRequested) {
    name = WithExtension(name, "dec");
  } else {
    s.RenameRequested = false;
  }
  if (!BeginsWithLetter(name)) {
    Refuse(s, "Filename must begin with a letter.");
    return std::nullopt;
  }
  return name;
}

bool RefuseReplacingInput(ProgramState& s, const std::string& output) {
  const std::optional<FileIdentity> target = IdentityOf(output);
  if (!target) return false;
  if (target == s.DecryptedFrom) {
    Refuse(s, "Cannot write " + output + ": it is the encrypted file being decrypted.");
  } else if (!s.KeyFileName.empty() && target == IdentityOf(s.KeyFileName)) {
    Refuse(s, "Cannot write " + output + ": it is the key file in use.");
  } else {
    return false;
  }
  return true;
}

void SaveDecryptedOutput(ProgramState& s) {
  if (s.Form1.Text1.Text.empty() && !s.BinaryMode && !s.StartedWithFile) {
    Refuse(s, "You first need to Load a file, or type in some text.");
    return;
  }

  std::string source = s.DecryptSourceName;
  std::optional<std::string> settled = SettleDecryptedName(s, source);
  if (!settled) return;
  const std::string& name = *settled;
  if (RefuseReplacingInput(s, name)) {
    s.SaveFailed = true;
    return;
  }
  s.DecryptSourceName.clear();

  StartProgress(s, "Saving");

  try {
    if (!s.BinaryMode) {
      ReplaceFile(name, Access::kPrivate, [&](File& out) { out.Write(s.Form1.Text1.Text); });
    } else {
      // Events run while the result is copied and written: meanwhile the window
      // starts no command that could change BinaryData or its backing file.
      RunningCommand running(s);
      int64_t start_percent = 0;
      // The source is read completely before the target is touched, so that a
      // rename onto the source's own name, or a copy with nothing to copy, never
      // costs an existing file.
      if (s.BinaryData.empty()) {
        if (source.empty()) {
          HideProgress(s);
          Refuse(s, "No file to save.");
          return;
        }
        if (!IsNonEmptyRegularFile(source)) {
          // An empty source is of no use to anyone; anything else of that name
          // (a folder, a device) is left alone.
          if (RegularFileSize(source) == 0) RemoveFile(source);
          HideProgress(s);
          Refuse(s, "No file to save.");
          return;
        }
        CopyIntoBinaryData(s, source);
        start_percent = 50;
      }
      WriteHeldResult(s, name, start_percent);
      ShowPercent(s, 100);
      ShowStatus(s, "Saving" + s.LineBreak + "100%");
    }
  } catch (const SavingAbandoned&) {
    // What was half written is gone with its temporary file; a held result stays held.
    s.SaveFailed = true;
    s.AbortRequested = false;
    ShowAbandoned(s, "Saving abandoned.");
    return;
  } catch (const FileError& e) {
    s.SaveFailed = true;
    HideProgress(s);
    Refuse(s, e.what());
    return;
  }

  if (s.BatchMode) return;
  HideProgress(s);
  s.Form1.Label5.Caption = "Decrypted File:(" + name + ")";
  RefreshWindow(s);
}

void RenameCommand(ProgramState& s) {
  s.RenameRequested = true;
  s.DecryptSourceName = s.BinaryMode ? s.LoadedFileName : "";
  SaveDecryptedOutput(s);
  // A rename that stopped short (a cancelled name box, a refused name) is over too.
  // Left pending, the flag would make the next decryption ask for a name instead of
  // writing its ".dec" file, and the name would be taken by the next Decrypt.
  s.RenameRequested = false;
  s.DecryptSourceName.clear();
  if (!s.BatchMode) RefreshWindow(s);
}

}  // namespace marrowlock
