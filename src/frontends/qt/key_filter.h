// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <optional>

#include "frontends/qt/handler_gate.h"
#include "state/keys.h"
#include "state/program_state.h"

class QKeyEvent;
class QWidget;

namespace marrowlock {

// The key code and the exact Shift, Ctrl and Alt state of a Qt key press (Keypad,
// Meta and the like are ignored). Letters give their upper-case codes on any
// keyboard layout that has them.
KeyPress ToKeyPress(const QKeyEvent& event);

// Watches every key press of the application so that each window sees its keys
// before the element that has the focus: the main window's go to the dispatch
// (a matched key goes no further), the help window's and the setup dialog's to
// their own key procedures.
class KeyFilter : public QObject {
 public:
  KeyFilter(HandlerGate& gate, ProgramState& s, QWidget* main_window, QWidget* help_window,
            QWidget* setup_dialog)
      : gate_(gate),
        s_(s),
        main_window_(main_window),
        help_window_(help_window),
        setup_dialog_(setup_dialog) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  HandlerGate& gate_;
  ProgramState& s_;
  QWidget* main_window_;
  QWidget* help_window_;
  QWidget* setup_dialog_;
};

}  // namespace marrowlock
