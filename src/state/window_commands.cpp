// SPDX-License-Identifier: MIT
#include "state/window_commands.h"

namespace marrowlock {

void ToggleBinaryMode(ProgramState& s) {
  if (!s.BinaryMode) {
    s.BinaryMode = true;
    s.Form1.Label3.Caption = "Encrypted binary()";
    s.Form1.Text1.Text = "(binary mode)";
    s.Form1.Text1.Locked = true;
    s.Form1.Text2.Text = "(binary mode)";
  } else {
    s.BinaryMode = false;
    s.Form1.Label3.Caption = "Encrypted text()";
    s.Form1.Text1.Text = "";
    s.Form1.Text1.Locked = false;
    s.Form1.Text2.Text = "";
  }
  ClearText(s);
}

void ClearText(ProgramState& s) {
  if (!s.BinaryMode) {
    // New typing starts in windows-1252, as files for older versions need.
    s.Form1.Text1.Text = "";
    s.Text1Encoding = TextEncoding::kWindows1252;
    s.Text1Edited = false;
    s.Text1Unencodable = false;
    s.Text1CutShort = false;
  }
  s.Form1.Label5.Caption = "Decrypted File()";
  s.PendingKeyFile.clear();
  s.LoadedFileName.clear();
  s.EncryptSourceName.clear();
  s.DecryptSourceName.clear();
  s.SourceText.clear();
  s.BinaryData.clear();
  s.DecryptedFrom.reset();
  RefreshWindow(s);
}

void ExitProgram(ProgramState& s, int status) {
  s.platform.CloseWindows();
  s.Form1.Visible = false;
  s.MLHelp.Visible = false;
  s.MLHelp.Exists = false;
  s.Dialog.Visible = false;
  s.Dialog.Exists = false;
  throw ProgramExit{status};
}

void EndRefused(ProgramState& s) {
  if (s.BatchMode) ExitProgram(s, kExitFailure);
}

void Refuse(ProgramState& s, const std::string& message) {
  const double since = s.platform.SecondsSinceMidnight();
  s.platform.MessageBox(message);
  CountUserWait(s, since);
  EndRefused(s);
}

std::string AskName(ProgramState& s, const std::string& prompt) {
  const double since = s.platform.SecondsSinceMidnight();
  std::string answer = s.platform.InputBox(prompt);
  CountUserWait(s, since);
  return answer;
}

void CountUserWait(ProgramState& s, double since) {
  double waited = s.platform.SecondsSinceMidnight() - since;
  if (waited < 0) waited += 86400.0;  // the wait crossed midnight
  s.UserWaitSeconds += waited;
}

void RefreshWindow(ProgramState& s) { s.platform.Redraw(); }

void ResetCommandLineState(ProgramState& s) {
  s.StartedWithFile = false;
  s.BatchMode = false;
  s.UseDefaultKey = true;
  s.OutputNameGiven = false;
}

void ShowMainWindow(ProgramState& s) {
  s.Form1.Visible = true;
  s.platform.Redraw();
}

}  // namespace marrowlock
