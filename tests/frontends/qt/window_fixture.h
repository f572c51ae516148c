// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <filesystem>
#include <functional>
#include <string>

#include "app/start_up.h"
#include "files/settings_file.h"
#include "frontends/qt/help_view.h"
#include "frontends/qt/main_window_view.h"
#include "frontends/qt/qt_platform.h"
#include "frontends/qt/setup_view.h"
#include "frontends/qt/text_conversion.h"
#include "state/program_state.h"
#include "state/window_commands.h"
#include "support/temp_dir.h"

namespace marrowlock {

// A key with two-byte blocks: Pair 3 and Pal 43691, since 3 * 43691 = 2 * 65536 + 1.
inline const std::string kKeyBytes("\x00\x03\xAA\xAB", 4);

// Encrypts whole two-byte blocks with kKeyBytes, as the program does.
inline std::string EncryptWithTestKey(const std::string& plain) {
  std::string out = plain;
  for (size_t i = 0; i + 1 < out.size(); i += 2) {
    unsigned v = (static_cast<unsigned char>(out[i]) << 8) | static_cast<unsigned char>(out[i + 1]);
    v = (v * 3) & 0xFFFF;
    out[i] = static_cast<char>(v >> 8);
    out[i + 1] = static_cast<char>(v & 0xFF);
  }
  return out;
}

// The desktop program in a temporary folder, started as the user would find it:
// settings that name "test.mlk" in the folder, a help text, the main window shown.
// Every dialog is answered in advance through the platform.
class WindowTest : public ::testing::Test {
 protected:
  WindowTest() {
    std::filesystem::create_directories(dir.home());
    WriteFile(dir.home() + "/mlhelp.txt", "Help for the test");
    WriteFile(dir / "test.mlk", kKeyBytes);
    WriteSettingsFile(dir.path(), "test.mlk");
    platform.SetScripted(true);
    platform.Attach(s);
    StartUp(s);
    platform.RunHandler([this] { ShowMainWindow(s); });
  }

  MainWindowView& window() { return *platform.main_window(); }
  QPlainTextEdit* text1() { return window().text1(); }
  QAction* Action(const char* name) {
    QAction* action = window().findChild<QAction*>(QLatin1String(name));
    EXPECT_NE(action, nullptr) << name;
    return action;
  }
  void Trigger(const char* name) { Action(name)->trigger(); }
  void Press(int key, Qt::KeyboardModifiers mods = Qt::NoModifier, QWidget* target = nullptr) {
    QTest::keyClick(target ? target : text1(), static_cast<Qt::Key>(key), mods);
  }
  void ClickToolbar(int position) {
    QToolBar* bar = window().toolbar();
    QWidget* button = bar->widgetForAction(bar->actions().at(position - 1));
    QTest::mouseClick(button, Qt::LeftButton);
  }
  void OpenTestKey() {
    platform.SetNextFileAnswer(dir / "test.mlk");
    Trigger("menuKeyOpenNewKey");
    ASSERT_TRUE(s.KeyLoaded);
  }
  // Types characters that QTest's key tables cannot, as a keyboard layout would.
  static void TypeCharacters(QWidget* target, const QString& text) {
    for (QChar c : text) {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
      QApplication::sendEvent(target, &press);
    }
  }
  // What the window shows for the bytes of a text area.
  static QString Shown(const std::string& bytes) { return BytesToDisplay(bytes); }
  std::string LastDialogTitle() {
    return platform.file_requests.empty() ? "" : platform.file_requests.back().Title;
  }
  std::string LastMessage() { return platform.messages.empty() ? "" : platform.messages.back(); }

  TempDir dir;
  QtPlatform platform;
  ProgramState s{platform};
};

}  // namespace marrowlock
