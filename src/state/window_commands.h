// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "state/program_exit.h"
#include "state/program_state.h"

namespace marrowlock {

// Switches binary mode, resets the two text areas and Label3, then ClearText.
void ToggleBinaryMode(ProgramState& s);
// Empties Text1 (text mode only; typing then starts anew in windows-1252), resets
// Label5 and forgets every pending name.
void ClearText(ProgramState& s);
// Closes all windows and ends the program with `status`; never returns. It unwinds
// the running command by throwing ProgramExit, which only the top level catches.
[[noreturn]] void ExitProgram(ProgramState& s, int status = kExitOk);
// Ends a refused or failed command: in batch mode the program ends with a failure
// status; in the window the command just returns to its caller.
void EndRefused(ProgramState& s);
// Shows `message` (its wait counted as AskName's), then ends the command as
// EndRefused does.
void Refuse(ProgramState& s, const std::string& message);
// Asks for a name in the input box, counting the time it stays open in
// UserWaitSeconds; "" when the user cancels.
std::string AskName(ProgramState& s, const std::string& prompt);
// Adds the time since `since` (seconds since midnight) to UserWaitSeconds.
void CountUserWait(ProgramState& s, double since);
// Draws the main window now.
void RefreshWindow(ProgramState& s);
// Ends a command-line run: StartedWithFile, BatchMode and OutputNameGiven off,
// UseDefaultKey on.
void ResetCommandLineState(ProgramState& s);
// Shows the main window (command-line runs show it before their command).
void ShowMainWindow(ProgramState& s);

// Marks a long command (Encrypt, Decrypt, Load, the writing of a decrypted result)
// as running for its whole life, so that the window starts no second command while
// the first lets events run, and restores the previous mark on every way out.
//
// A command that starts while nothing runs forgets an Escape pressed before it:
// only an Escape pressed during a run abandons that run.
class RunningCommand {
 public:
  explicit RunningCommand(ProgramState& s) : s_(s), was_running_(s.CommandRunning) {
    if (!was_running_) s_.AbortRequested = false;
    s_.CommandRunning = true;
  }
  ~RunningCommand() { s_.CommandRunning = was_running_; }
  RunningCommand(const RunningCommand&) = delete;
  RunningCommand& operator=(const RunningCommand&) = delete;

 private:
  ProgramState& s_;
  bool was_running_;
};

}  // namespace marrowlock
