// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace marrowlock {

// A platform that shows nothing and asks nothing: enough for a ProgramState whose
// procedures never reach the user.
class QuietPlatform : public Platform {
 public:
  void MessageBox(const std::string&) override {}
  std::string InputBox(const std::string&) override { return ""; }
  std::optional<std::string> OpenFileDialog(const FileDialogRequest&) override {
    return std::nullopt;
  }
  void Redraw() override {}
  void ProcessEvents() override {}
  void WaitForEvents() override {}
  void CloseWindows() override {}
  std::vector<std::string> ListDrives() override { return {}; }
  double SecondsSinceMidnight() override { return 0; }
};

}  // namespace marrowlock
