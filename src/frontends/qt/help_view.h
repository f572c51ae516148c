// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

#include "frontends/qt/main_window_view.h"
#include "state/program_state.h"

class QPlainTextEdit;

namespace marrowlock {

class QtPlatform;

// The help window `MLHelp`: a read-only text area, drawn from ProgramState::MLHelp.
class HelpView : public QWidget {
 public:
  HelpView(QtPlatform& platform, ProgramState& s);

  void Draw();
  void set_closing(bool closing) { closing_ = closing; }
  QPlainTextEdit* text1() { return text1_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QtPlatform& platform_;
  ProgramState& s_;
  QPlainTextEdit* text1_;
  ShownText shown_;
  bool closing_ = false;
};

}  // namespace marrowlock
