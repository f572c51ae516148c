// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

#include "frontends/qt/handler_gate.h"
#include "frontends/qt/shown_text.h"
#include "state/program_state.h"

class QPlainTextEdit;

namespace marrowlock {

// The help window `MLHelp`: a read-only text area, drawn from ProgramState::MLHelp,
// wide enough for the help text's lines of 80 characters.
class HelpView : public QWidget {
 public:
  HelpView(HandlerGate& gate, ProgramState& s);

  void Draw();
  void set_closing(bool closing) { closing_ = closing; }
  QPlainTextEdit* text1() { return text1_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  // The width at which a line of 80 characters fits without being broken.
  int FittingWidth();

  HandlerGate& gate_;
  ProgramState& s_;
  QPlainTextEdit* text1_;
  ShownText shown_;
  bool closing_ = false;
  bool sized_ = false;
};

}  // namespace marrowlock
