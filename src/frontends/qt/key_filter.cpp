// SPDX-License-Identifier: MIT
#include "frontends/qt/key_filter.h"

#include <QKeyEvent>
#include <QWidget>

#include "app/dispatch.h"
#include "app/help_window.h"
#include "files/setup_dialog.h"

namespace marrowlock {

namespace {
// Codes for keys that no table names: out of the range the tables use.
constexpr int kUnlistedKeyBase = 0x10000;
}  // namespace

KeyPress ToKeyPress(const QKeyEvent& event) {
  KeyPress press;
  Qt::KeyboardModifiers mods = event.modifiers();
  press.shift = mods.testFlag(Qt::ShiftModifier);
  press.ctrl = mods.testFlag(Qt::ControlModifier);
  press.alt = mods.testFlag(Qt::AltModifier);

  int key = event.key();
  if (key >= Qt::Key_A && key <= Qt::Key_Z) {
    press.key = key;  // Qt's letter keys carry their upper-case codes
  } else if (key == Qt::Key_Escape) {
    press.key = kKeyEscape;
  } else if (key >= Qt::Key_F1 && key <= Qt::Key_F12) {
    press.key = kKeyF1 + (key - Qt::Key_F1);
  } else {
    // On a layout without Latin letters the key still has its Latin key symbol.
    quint32 native = event.nativeVirtualKey();
    if (native >= 'a' && native <= 'z') native -= 'a' - 'A';
    press.key = (native >= 'A' && native <= 'Z') ? static_cast<int>(native)
                                                 : kUnlistedKeyBase + (key & 0xFFFF);
  }
  return press;
}

bool KeyFilter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
  QWidget* window = static_cast<QWidget*>(watched)->window();
  KeyPress key = ToKeyPress(*static_cast<QKeyEvent*>(event));
  ProgramState& s = s_;

  if (window == main_window_) {
    bool handled = false;
    gate_.RunHandler([&] { handled = OnKey(s, key); });
    if (key.key == kKeyF1 && key.NoModifiers()) gate_.BringUpHelp();
    return handled || gate_.Ending();
  }
  if (window == help_window_) {
    bool handled = false;
    gate_.RunHandler([&] { handled = HelpKeyPressed(s, key); });
    return handled;
  }
  bool alt_x = key.key == kKeyX && key.AltAlone();
  if (window == setup_dialog_) {
    gate_.RunHandler([&] { SetupKeyPressed(s, key); });
    return alt_x;
  }
  return false;
}

}  // namespace marrowlock
