// SPDX-License-Identifier: MIT
#pragma once

#include <QMainWindow>
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "app/dispatch.h"
#include "frontends/qt/handler_gate.h"
#include "frontends/qt/shown_text.h"
#include "state/program_state.h"

class QAction;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QToolBar;

namespace marrowlock {

// The main window `Form1`: its text areas, labels, progress bar, menu bar, toolbar
// and status bar, drawn from ProgramState::Form1 and Text1's encoding. Menu entries
// and toolbar buttons go to the dispatch; the user's edits of Text1 are written back
// into the state as bytes in the encoding in force.
class MainWindowView : public QMainWindow {
 public:
  MainWindowView(HandlerGate& gate, ProgramState& s);

  void Draw();
  // Lets the window close without ending the program (ExitProgram closes it).
  void set_closing(bool closing) { closing_ = closing; }

  QPlainTextEdit* text1() { return text1_; }
  QPlainTextEdit* text2() { return text2_; }
  QProgressBar* progress_bar() { return progress_; }
  // Label4, the key display's heading, is drawn as two: `label(4)` names Pair over
  // Text3, `pal_heading()` names Pal over Text4.
  QLabel* label(int number) { return labels_[static_cast<size_t>(number - 1)]; }
  QLabel* pal_heading() { return pal_heading_; }
  QLabel* encoding_status() { return encoding_status_; }
  QToolBar* toolbar() { return toolbar_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void AlignStatusLine();
  void BuildLayout();
  void BuildMenus();
  void BuildToolbar();
  void DrawText1();
  void DrawLabels();
  void Text1Edited();

  HandlerGate& gate_;
  ProgramState& s_;
  QPlainTextEdit* text1_;
  QPlainTextEdit* text2_;
  QPlainTextEdit* text3_;
  QPlainTextEdit* text4_;
  ShownText shown1_, shown2_, shown3_, shown4_;
  std::array<QLabel*, 6> labels_{};
  QLabel* pal_heading_;
  QLabel* encoding_status_;
  QProgressBar* progress_;
  QToolBar* toolbar_ = nullptr;
  QAction* binary_mode_entry_ = nullptr;
  // The entries of Options > Encoding, with the encoding each one chooses.
  std::vector<std::pair<QAction*, TextEncoding>> encoding_entries_;
  bool drawing_ = false;
  bool closing_ = false;
};

}  // namespace marrowlock
