// SPDX-License-Identifier: MIT
#pragma once

#include "frontends/win32/fonts.h"
#include "frontends/win32/system_headers.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "state/keys.h"
#include "state/program_state.h"

namespace marrowlock {

class MainWindowView;
class HelpView;
class SetupView;

// The platform of the Windows window: draws ProgramState's windows with Win32
// controls and turns the user's actions into calls of the program's handlers, as
// the Qt window does on Linux.
//
// Every window procedure reaches the program through RunHandler, where the
// program's ways of ending meet the message loop: a ProgramExit (ExitProgram)
// closes the windows and ends the loop with its status, and also unwinds a
// command that is running further out, since ProcessEvents rethrows it; any other
// exception is shown as a message, so that none crosses a window procedure.
//
// Keys are looked at before any window gets them (PreTranslate), for the whole
// thread, as the keyboard table acts on keys wherever the focus is.
class Win32Platform : public Platform {
 public:
  Win32Platform();
  ~Win32Platform() override;
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  // Creates the windows for `s` (not shown yet).
  void Attach(ProgramState& s);
  ProgramState& state() { return *state_; }

  void RunHandler(const std::function<void()>& handler);
  // Raises the help window when it is shown.
  void BringUpHelp();
  std::optional<int> exit_status() const { return exit_status_; }
  // Runs the message loop until the program ends; returns its status.
  int RunMessageLoop();

  void MessageBox(const std::string& text) override;
  std::string InputBox(const std::string& prompt) override;
  std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) override;
  void Redraw() override;
  void ProcessEvents() override;
  void WaitForEvents() override;
  void CloseWindows() override;
  std::vector<std::string> ListDrives() override;
  double SecondsSinceMidnight() override;

  // The fonts of every window, in the size for the screen each is on.
  Fonts& fonts() { return fonts_; }
  // Form1's window, for a look at what it holds (its menus cannot be read from
  // another process under Wine).
  HWND main_window_handle() const;

 private:
  // Handles `msg` before it is dispatched: keys of the keyboard tables, and the
  // dialog keys (Tab, Enter) of the window it is for. Returns whether it was used.
  bool PreTranslate(MSG& msg);
  void PumpPending();
  void RethrowPendingExit() const;
  HWND DialogParent() const;

  ProgramState* state_ = nullptr;
  std::unique_ptr<MainWindowView> main_window_;
  std::unique_ptr<HelpView> help_window_;
  std::unique_ptr<SetupView> setup_dialog_;
  std::optional<int> exit_status_;
  bool closing_ = false;
  std::chrono::steady_clock::time_point last_events_;
  Fonts fonts_;
};

// The key a key-down message stands for, with the three modifiers as they are now.
KeyPress ToKeyPress(const MSG& msg);

// Text for the system's wide calls. Captions and messages are UTF-8 when valid,
// else windows-1252; CR LF and lone breaks alike become CR LF.
std::wstring CaptionText(std::string_view bytes);
// A file name as the program holds it (UTF-8), and back.
std::string PathBytes(std::wstring_view path);
std::wstring PathText(std::string_view bytes);
// The open-file dialog's filter: "description|patterns|..." as the system takes it,
// with NULs between the parts and two at the end.
std::wstring NativeFilter(const std::string& filter);

}  // namespace marrowlock
