// SPDX-License-Identifier: MIT
#include "frontends/console/console_platform.h"

#include "files/setup_dialog.h"
#include "platform/clock.h"
#include "platform/console.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "state/program_state.h"

namespace marrowlock {

void ConsolePlatform::MessageBox(const std::string& text) {
  WriteText(err_, "marlk: " + text + "\n");
}

std::optional<std::string> ConsolePlatform::Ask(const std::string& prompt) {
  WriteText(err_, "marlk: " + prompt + " ");
  std::string line;
  int c;
  bool any = false;
  while ((c = std::fgetc(in_)) != EOF) {
    any = true;
    if (c == '\n') break;
    line += static_cast<char>(c);
  }
  // A typed answer ends the prompt's line with its Enter; a piped one does not.
  if (!any || !IsTerminal(in_)) std::fputc('\n', err_);
  if (!any) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::string ConsolePlatform::InputBox(const std::string& prompt) {
  return Ask(prompt).value_or("");
}

std::optional<std::string> ConsolePlatform::OpenFileDialog(const FileDialogRequest& request) {
  std::optional<std::string> answer = Ask(request.Title);
  if (!answer || answer->empty()) return std::nullopt;
  return AbsolutePath(*answer, WorkingDirectory());
}

void ConsolePlatform::WaitForEvents() {
  // Only the setup dialog waits for events; without a window nothing else can come.
  if (state_ && state_->Dialog.Visible) AnswerSetupDialog();
}

void ConsolePlatform::AnswerSetupDialog() {
  ProgramState& s = *state_;
  std::optional<std::string> answer = Ask("No default key is set. Path of the key file to use:");
  if (!answer || answer->empty()) {
    MessageBox(
        "No default key is set. Run marrowlock once without -i to choose one, or give the path "
        "of a key file (*.mlk) on standard input.");
    SetupCancel(s);
    return;
  }
  std::string path = AbsolutePath(*answer, WorkingDirectory());
  std::string name = FileNamePart(path);
  // Asked again on the next wait, as the lists would still be waiting for a choice.
  if (!EndsWithIgnoringCase(name, ".mlk")) {
    MessageBox("Not a key file (*.mlk), " + *answer + ".");
    return;
  }
  if (!RegularFileSize(path)) {
    MessageBox("No such key file, " + *answer + ".");
    return;
  }
  // What OK writes when the key is picked in the lists: its folder and its name.
  std::string folder = FolderPart(path);
  if (folder.size() > 1) folder.pop_back();
  s.Dialog.Directory = folder;
  s.Dialog.Files = {name};
  SetupFileSelected(s, 0);
  SetupOk(s);
}

double ConsolePlatform::SecondsSinceMidnight() { return LocalSecondsSinceMidnight(); }

}  // namespace marrowlock
