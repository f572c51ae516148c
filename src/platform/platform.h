// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace marrowlock {

// An open-file dialog as the commands describe it. The filter is the Windows-style
// string of description and pattern pairs separated by "|"; the platform turns it
// into its own form. The dialog never changes the working directory.
struct FileDialogRequest {
  std::string Title;
  std::string Filter;
  int FilterIndex = 1;  // 1-based entry of Filter shown first
  std::string InitialDirectory;
  std::string FileName;    // preset name in the name field
  int Flags = 0;           // 1: read-only box; 2: prompt before overwriting (informational here)
  bool ForSaving = false;  // a name that does not exist yet may be chosen
};

// The question "Make a new key…" asks: the key's file name and its block length.
struct NewKeyRequest {
  std::string Folder;             // where the key is written, for the user to see
  std::vector<int> BlockLengths;  // the lengths offered, in bytes
  int BlockLength = 16;           // the one offered first
};
struct NewKeyAnswer {
  std::string Name;
  int BlockLength = 0;  // 0 when the answer was no number
};

// What the program needs of the machine it runs on, beyond files: the windows and
// their dialogs, and the clock. The desktop implements it with Qt, batch mode with
// the console, and the tests with a scripted double.
//
// The windows themselves are data in ProgramState (Form1, MLHelp, Dialog); the
// platform draws that data and feeds the user's actions back into the commands.
class Platform {
 public:
  virtual ~Platform() = default;

  // A message with an OK button only; the title is the application title "marlk".
  virtual void MessageBox(const std::string& text) = 0;
  // Asks for a line of text; returns "" when the user cancels.
  virtual std::string InputBox(const std::string& prompt) = 0;
  // Returns the chosen file's full path, or nothing when the user cancels.
  virtual std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) = 0;
  // Asks for a new key's name and block length; nothing when the user cancels or
  // gives no name. Unless a platform has a dialog of its own, it asks with two input
  // boxes, the name, then the length, where an empty answer takes the one offered.
  virtual std::optional<NewKeyAnswer> AskNewKey(const NewKeyRequest& request);

  // Draws every window as ProgramState describes it, at once.
  virtual void Redraw() = 0;
  // Runs the window events that are pending; key presses may start commands or set
  // AbortRequested from here. Returns at once when nothing is pending.
  virtual void ProcessEvents() = 0;
  // Waits until at least one event has been handled (the setup dialog's loop).
  virtual void WaitForEvents() = 0;
  // Closes the main window, the help window and the setup dialog, in that order.
  virtual void CloseWindows() = 0;
  // The drives the setup dialog offers: the places where a user keeps files (on
  // the desktop: the root, the home folder and removable media).
  virtual std::vector<std::string> ListDrives() = 0;

  // The time of day in seconds, with fractions; it restarts at 0 at midnight.
  virtual double SecondsSinceMidnight() = 0;
};

}  // namespace marrowlock
