// SPDX-License-Identifier: MIT
#include "app/start_up.h"

#include <new>
#include <stdexcept>

#include "app/command_line.h"
#include "files/settings_file.h"
#include "files/setup_dialog.h"
#include "platform/file_identity.h"
#include "platform/file_system.h"
#include "platform/system_paths.h"
#include "state/window_commands.h"

namespace marrowlock {
namespace {

constexpr const char* kPendingKey = "default.ppl";
constexpr const char* kInstalledKey = "default.mlk";
constexpr int64_t kPendingKeySize = 32;

// A key file dropped beside the program as "default.ppl" becomes "default.mlk" when it
// has the length of a 16-byte key; anything else of that name is thrown away. An
// existing "default.mlk" is never replaced: the rename then fails, and the trap says so.
// Only the user's own file is taken or thrown away: in a folder that others may write
// to (/tmp), another user's file is neither a key to trust nor one to delete, and a
// link or anything else at the name is nobody's key. Such a name is left alone with
// one message, and the program goes on.
void InstallPendingKey(ProgramState& s) {
  switch (HolderOf(kPendingKey)) {
    case NameHolder::kNothing:
      return;
    case NameHolder::kAnotherUsersFile:
      s.platform.MessageBox(std::string("Ignored ") + kPendingKey +
                            ": it belongs to another user.");
      return;
    case NameHolder::kNotAFile:
      s.platform.MessageBox(std::string("Ignored ") + kPendingKey + ": it is not a regular file.");
      return;
    case NameHolder::kOwnFile:
      break;
  }
  std::optional<int64_t> size = RegularFileSize(kPendingKey);
  if (!size) return;
  if (*size == kPendingKeySize) {
    RenameNoReplace(kPendingKey, kInstalledKey);
  } else {
    RemoveFile(kPendingKey);
  }
}

// A batch run given its key with -k never uses the default key. Without settings it
// asks nothing and writes none: standard input may be meant for something else (a
// list of files in a loop), and the key folder is then the working directory.
bool NeedsNoDefaultKey(const ProgramState& s) {
  return !s.CommandLineIsName && IsBatchCommandLine(s.CommandLineText) &&
         ParseCommandLine(s.CommandLineText).key_given;
}

// What the trap tells the user about a failure: a number that identifies its kind,
// a description and the part of the program it came from.
struct TrappedFailure {
  int number;
  std::string description;
  std::string source;
};

int ReportTrapped(ProgramState& s, const TrappedFailure& failure) {
  s.platform.MessageBox(std::to_string(failure.number) + "   " + failure.description);
  s.platform.MessageBox("Source=" + failure.source);
  try {
    ExitProgram(s, kExitTrapped);
  } catch (const ProgramExit& exit) {
    return exit.status;
  }
}

}  // namespace

void StartUp(ProgramState& s) {
  std::optional<Settings> settings = ReadSettingsFile();
  if (!settings && !NeedsNoDefaultKey(s)) {
    RunSetupDialog(s);
    settings = ReadSettingsFile();
    if (!settings) ExitProgram(s, kExitFailure);
  }
  if (settings) {
    s.KeyDirectory = settings->KeyDirectory;
    s.DefaultKeyName = settings->DefaultKeyName;
  }

  SetStartValues(s);
  InstallPendingKey(s);
  RunCommandLine(s);
}

std::optional<int> RunStartUp(ProgramState& s) {
  try {
    StartUp(s);
    return std::nullopt;
  } catch (const ProgramExit& exit) {
    return exit.status;
  } catch (const FileError& e) {
    return ReportTrapped(s, {kFileFailureNumber, e.what(), "Marrowlock file access"});
  } catch (const std::bad_alloc&) {
    return ReportTrapped(s, {kMemoryFailureNumber, "Out of memory.", "Marrowlock"});
  } catch (const std::exception& e) {
    return ReportTrapped(s, {kInternalFailureNumber, e.what(), "Marrowlock"});
  } catch (...) {
    // ProgramExit was caught above; this is anything else thrown by a library.
    return ReportTrapped(s,
                         {kInternalFailureNumber, "An unexpected failure occurred.", "Marrowlock"});
  }
}

}  // namespace marrowlock
