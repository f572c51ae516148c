// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "frontends/qt/handler_gate.h"
#include "state/program_state.h"

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace marrowlock {

// The setup dialog `Dialog`: drive list `Drive1`, directory list `Dir1` (the
// sub-folders of the current directory, with ".." to go up; double-click or Enter
// opens one), file list `File1` of the directory's key files, `OKButton`,
// `CancelButton`, and "Make a new key…", which makes a key in the folder shown. Drawn from
// ProgramState::Dialog; the user's actions go to the setup dialog's event procedures. Closing it
// through the window frame or with Escape acts as Cancel.
class SetupView : public QDialog {
 public:
  SetupView(HandlerGate& gate, ProgramState& s);

  void Draw();
  void set_closing(bool closing) { closing_ = closing; }

  QComboBox* drive_list() { return drive1_; }
  QListWidget* directory_list() { return dir1_; }
  QListWidget* file_list() { return file1_; }
  QPushButton* ok_button() { return ok_; }
  QPushButton* cancel_button() { return cancel_; }
  QPushButton* make_key_button() { return make_key_; }

  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void DirectoryActivated(int row);

  HandlerGate& gate_;
  ProgramState& s_;
  QLabel* label1_;
  QLabel* label2_;  // where keys come from
  QLabel* path_;    // where Dir1 is; the list itself shows only names
  QComboBox* drive1_;
  QListWidget* dir1_;
  QListWidget* file1_;
  QPushButton* ok_;
  QPushButton* cancel_;
  QPushButton* make_key_;
  std::vector<std::string> shown_drives_;
  std::string shown_directory_;
  std::vector<std::string> shown_subfolders_;
  std::vector<std::string> shown_files_;
  bool closing_ = false;
};

}  // namespace marrowlock
