// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace marrowlock {

// The windows are data. Commands set these fields; the platform draws them on a
// redraw and writes the user's edits of an editable text area back into them.
// Every text is a byte string, one character per byte.

struct TextArea {
  std::string Text;
  bool Visible = true;
  bool Locked = false;
};

struct Label {
  std::string Caption;
  bool Visible = true;
};

struct ProgressBar {
  int Value = 0;  // 0..100
  bool Visible = false;
};

// The main window `Form1`.
struct MainWindow {
  std::string Caption = "Marrowlock 2003 vers. 1.1.0";
  bool Visible = false;
  TextArea Text1;
  TextArea Text2;
  TextArea Text3{"", false, true};
  TextArea Text4{"", false, true};
  Label Label1{"Encrypting", false};
  Label Label2{"Text to Encrypt / Text Decrypted", true};
  Label Label3{"Encrypted Text()", true};
  Label Label4{"Pair          and        Pal", false};
  Label Label5{"Decrypted File ()", true};
  Label Label6{"Current Key ()", true};
  ProgressBar ProgressBar1;
  bool BinaryModeChecked = false;  // the check mark of Options > BinaryMode
  bool FocusText1 = false;         // set to move the input focus to Text1 at the next redraw
};

// The help window `MLHelp`.
struct HelpWindow {
  bool Exists = false;  // created by the first ShowHelp, gone when the user closes it
  bool Visible = false;
  std::string Caption = "Marrowlock Help";
  TextArea Text1{"", true, true};
};

// The setup dialog `Dialog`; it exists only while RunSetupDialog runs.
struct SetupDialog {
  bool Exists = false;
  bool Visible = false;
  std::string Caption = "Marrowlock Initial Setup";
  Label Label1{"Choose a Default Key to Use", true};
  // Where keys come from, for a first start with none to choose.
  Label Label2{
      "No key yet? \"Make a new key\u2026\" makes one in the folder shown here (as the "
      "marrowlock-keygen program does).",
      true};
  std::vector<std::string> Drives;  // Drive1: the roots and volumes of this machine
  std::string Drive;                // Drive1's current entry
  std::string Directory;            // Dir1's path
  std::vector<std::string> Files;   // File1: the "*.mlk" files of Directory, sorted
  int SelectedFile = -1;            // File1's selected index, -1 for none
  std::string StartDrive;
  std::string StartDirectory;
};

}  // namespace marrowlock
