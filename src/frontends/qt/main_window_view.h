#pragma once

#include <QMainWindow>
#include <array>
#include <string>

#include "app/dispatch.h"
#include "state/program_state.h"

class QAction;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QToolBar;

namespace marrowlock {

class QtPlatform;

// A text area drawn from a byte string. It remembers the bytes it shows so that
// an unchanged text is not set again, and a text that grew only gets its tail.
class ShownText {
 public:
  explicit ShownText(QPlainTextEdit* edit) : edit_(edit) {}
  // Returns whether the widget's text was replaced or extended.
  bool Draw(const std::string& bytes);
  // The user changed the widget's text; `bytes` are its new bytes.
  void Edited(const std::string& bytes) { shown_ = bytes; }
  const std::string& shown() const { return shown_; }

 private:
  QPlainTextEdit* edit_;
  std::string shown_;
};

// The main window `Form1`: its text areas, labels, progress bar, menu bar and
// toolbar, drawn from ProgramState::Form1. Menu entries and toolbar buttons go to
// the dispatch; the user's edits of Text1 are written back into the state.
class MainWindowView : public QMainWindow {
 public:
  MainWindowView(QtPlatform& platform, ProgramState& s);

  void Draw();
  // Lets the window close without ending the program (ExitProgram closes it).
  void set_closing(bool closing) { closing_ = closing; }

  QPlainTextEdit* text1() { return text1_; }
  QPlainTextEdit* text2() { return text2_; }
  QProgressBar* progress_bar() { return progress_; }
  QLabel* label(int number) { return labels_[static_cast<size_t>(number - 1)]; }
  QToolBar* toolbar() { return toolbar_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  void BuildToolbar();
  void Text1Edited();

  QtPlatform& platform_;
  ProgramState& s_;
  QPlainTextEdit* text1_;
  QPlainTextEdit* text2_;
  QPlainTextEdit* text3_;
  QPlainTextEdit* text4_;
  ShownText shown1_, shown2_, shown3_, shown4_;
  std::array<QLabel*, 6> labels_{};
  QProgressBar* progress_;
  QToolBar* toolbar_ = nullptr;
  QAction* binary_mode_entry_ = nullptr;
  bool drawing_ = false;
  bool closing_ = false;
};

}  // namespace marrowlock
