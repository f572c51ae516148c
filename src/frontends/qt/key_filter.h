// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <optional>

#include "state/keys.h"

class QKeyEvent;

namespace marrowlock {

class QtPlatform;

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
  explicit KeyFilter(QtPlatform& platform) : platform_(platform) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QtPlatform& platform_;
};

}  // namespace marrowlock
