// SPDX-License-Identifier: MIT
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "frontends/qt/handler_gate.h"
#include "platform/platform.h"
#include "state/program_state.h"

class QFileDialog;
class QWidget;

namespace marrowlock {

class MainWindowView;
class HelpView;
class SetupView;
class KeyFilter;

// The platform of the desktop program: draws ProgramState's windows with Qt
// widgets and turns the user's actions into calls of the program's handlers.
//
// Every Qt event handler reaches the program through RunHandler, which is where
// the program's ways of ending meet Qt: a ProgramExit (ExitProgram) closes the
// windows and quits the event loop with its status, and also unwinds a command
// that is running further out, since ProcessEvents rethrows it; any other
// exception is shown as a message, so that none escapes into Qt.
//
// REQUIRES: a QApplication exists for the object's whole life.
class QtPlatform : public Platform, public HandlerGate {
 public:
  QtPlatform();
  ~QtPlatform() override;
  QtPlatform(const QtPlatform&) = delete;
  QtPlatform& operator=(const QtPlatform&) = delete;

  // Creates the windows for `s` (not shown yet) and starts watching key presses.
  void Attach(ProgramState& s);
  ProgramState& state() { return *state_; }

  // Runs `handler` at a Qt handler boundary, then redraws (see above).
  void RunHandler(const std::function<void()>& handler) override;
  // Raises the help window when it is shown: asking for help again while it lies
  // behind the main window brings it up.
  void BringUpHelp() override;
  bool Ending() const override { return exit_status_.has_value(); }
  // The status ExitProgram gave, once the program is ending.
  std::optional<int> exit_status() const { return exit_status_; }

  MainWindowView* main_window() { return main_window_.get(); }
  HelpView* help_window() { return help_window_.get(); }
  SetupView* setup_dialog() { return setup_dialog_.get(); }

  // Pre-answered dialogs, for tests and scripted runs: once answers are scripted,
  // messages are recorded instead of shown, and a question whose answer queue is
  // empty is answered with a cancel.
  void SetScripted(bool scripted) { scripted_ = scripted; }
  void SetNextInputAnswer(const std::string& answer);
  void SetNextFileAnswer(std::optional<std::string> path);
  std::vector<std::string> messages;  // every message shown or recorded
  std::vector<FileDialogRequest> file_requests;

  void MessageBox(const std::string& text) override;
  std::string InputBox(const std::string& prompt) override;
  std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) override;
  std::optional<NewKeyAnswer> AskNewKey(const NewKeyRequest& request) override;
  void Redraw() override;
  void ProcessEvents() override;
  void WaitForEvents() override;
  void CloseWindows() override;
  std::vector<std::string> ListDrives() override;
  double SecondsSinceMidnight() override;

 private:
  void RethrowPendingExit() const;
  QWidget* DialogParent() const;

  ProgramState* state_ = nullptr;
  std::unique_ptr<MainWindowView> main_window_;
  std::unique_ptr<HelpView> help_window_;
  std::unique_ptr<SetupView> setup_dialog_;
  std::unique_ptr<KeyFilter> key_filter_;
  std::optional<int> exit_status_;
  bool closing_ = false;
  QElapsedTimer since_events_;

  bool scripted_ = false;
  std::deque<std::string> input_answers_;
  std::deque<std::optional<std::string>> file_answers_;
};

// The setup dialog's drives: "/", the home folder, then the removable media mounted
// under /media or /run/media, out of the mount points `mount_points` (in which bind
// mounts and the system's own file systems are left out).
std::vector<std::string> UserPlaces(const std::string& home,
                                    const std::vector<std::string>& mount_points);

// Sizes Qt's own file dialog, and its columns, so that Name, Size, Type and Date
// Modified all show whole.
void FitFileDialog(QFileDialog& dialog);

}  // namespace marrowlock
