// SPDX-License-Identifier: MIT
#include "state/progress_display.h"

#include "state/window_commands.h"

namespace marrowlock {

void StartProgress(ProgramState& s, const std::string& label) {
  if (s.BatchMode) return;
  s.Form1.ProgressBar1.Visible = true;
  s.Form1.ProgressBar1.Value = 0;
  s.Form1.Label1.Caption = label;
  s.Form1.Label1.Visible = true;
  RefreshWindow(s);
}

void ShowPercent(ProgramState& s, int percent) {
  if (s.BatchMode) return;
  s.Form1.ProgressBar1.Value = percent;
  RefreshWindow(s);
}

void ShowStatus(ProgramState& s, const std::string& caption) {
  if (s.BatchMode) return;
  s.Form1.Label1.Caption = caption;
  RefreshWindow(s);
}

void ShowRate(ProgramState& s, const std::string& label, const std::string& rate) {
  ShowStatus(s, label + s.LineBreak + rate);
}

void FinishProgress(ProgramState& s) { ShowPercent(s, 100); }

void StopProgress(ProgramState& s) {
  if (s.BatchMode) return;
  s.Form1.ProgressBar1.Visible = false;
  s.Form1.ProgressBar1.Value = 0;
  s.Form1.Label1.Caption = "";
  s.Form1.Label1.Visible = false;
  RefreshWindow(s);
}

void HideProgress(ProgramState& s) {
  if (s.BatchMode) return;
  s.Form1.ProgressBar1.Visible = false;
  s.Form1.Label1.Visible = false;
  RefreshWindow(s);
}

void ShowAbandoned(ProgramState& s, const std::string& caption) {
  if (s.BatchMode) return;
  s.Form1.ProgressBar1.Visible = false;
  s.Form1.ProgressBar1.Value = 0;
  s.Form1.Label1.Caption = caption;
  s.Form1.Label1.Visible = true;
  RefreshWindow(s);
}

}  // namespace marrowlock
