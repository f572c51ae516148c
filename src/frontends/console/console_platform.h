// SPDX-License-Identifier: MIT
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace marrowlock {

struct ProgramState;

// The platform of a batch run: no window. Messages go to standard error as
// "marlk: <text>" lines; questions are written to standard error and answered by
// one line of standard input, where the end of input means Cancel. The setup
// dialog becomes a question for the path of the default key file.
class ConsolePlatform : public Platform {
 public:
  ConsolePlatform(std::FILE* in = stdin, std::FILE* err = stderr) : in_(in), err_(err) {}

  // The state whose setup dialog WaitForEvents answers.
  void Attach(ProgramState& s) { state_ = &s; }

  void MessageBox(const std::string& text) override;
  std::string InputBox(const std::string& prompt) override;
  std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) override;
  void Redraw() override {}
  void ProcessEvents() override {}
  void WaitForEvents() override;
  void CloseWindows() override {}
  std::vector<std::string> ListDrives() override { return {"/"}; }
  double SecondsSinceMidnight() override;

 private:
  // Writes `prompt` to standard error and reads one line; nothing at the end of input.
  std::optional<std::string> Ask(const std::string& prompt);
  void AnswerSetupDialog();

  std::FILE* in_;
  std::FILE* err_;
  ProgramState* state_ = nullptr;
};

// Runs the program without a window on the given command-line text; returns the
// exit status.
int RunBatch(const std::string& command_line);

}  // namespace marrowlock
