// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

// The window tests need a QApplication for their whole run; without a display
// they use Qt's offscreen platform.
int main(int argc, char** argv) {
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
  }
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
