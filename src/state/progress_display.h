// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "state/program_state.h"

namespace marrowlock {

// The progress bar ProgressBar1 and the status label Label1 of the main window,
// which the long commands use to show how far they are. Nothing is shown in batch
// mode: there every operation here does nothing.

// Bar shown at 0, Label1 shows `label` ("Encrypting", "Decrypting", "Loading...").
void StartProgress(ProgramState& s, const std::string& label);
void ShowPercent(ProgramState& s, int percent);
// Label1 = `caption`.
void ShowStatus(ProgramState& s, const std::string& caption);
// Label1 = label, LineBreak, rate text.
void ShowRate(ProgramState& s, const std::string& label, const std::string& rate);
void FinishProgress(ProgramState& s);  // bar at 100
void StopProgress(ProgramState& s);    // bar and label hidden and reset
// Bar and label hidden, Label1's caption kept: a run that failed, or a step that is over.
void HideProgress(ProgramState& s);
// Bar hidden, Label1 left showing `caption` ("Encryption abandoned."), so that the
// captions still naming an earlier output do not read as this run's success.
void ShowAbandoned(ProgramState& s, const std::string& caption);

}  // namespace marrowlock
