// SPDX-License-Identifier: MIT
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace marrowlock {

// A platform without a user: every input box gets `answer`, every file dialog is
// cancelled, messages are kept for the target to look at, and no window exists.
class FuzzPlatform : public Platform {
 public:
  std::vector<std::string> messages;
  std::string answer;

  void MessageBox(const std::string& text) override { messages.push_back(text); }
  std::string InputBox(const std::string&) override { return answer; }
  std::optional<std::string> OpenFileDialog(const FileDialogRequest&) override {
    return std::nullopt;
  }
  void Redraw() override {}
  void ProcessEvents() override {}
  void WaitForEvents() override { std::abort(); }  // nothing would ever arrive
  void CloseWindows() override {}
  std::vector<std::string> ListDrives() override { return {"/"}; }
  double SecondsSinceMidnight() override { return 0.0; }
};

// Stops the fuzzer with a finding when `condition` does not hold, saying which check.
inline void Check(bool condition, int line = __builtin_LINE(),
                  const char* file = __builtin_FILE()) {
  if (condition) return;
  std::fprintf(stderr, "check failed at %s:%d\n", file, line);
  std::abort();
}

// A private folder for one fuzzing process: the working directory and MARROWLOCK_HOME,
// made once and reused by every input.
inline const std::string& FuzzFolder() {
  static const std::string folder = [] {
    std::string pattern =
        std::filesystem::temp_directory_path().string() + "/marrowlock-fuzz-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!::mkdtemp(name.data())) std::abort();
    std::string path = name.data();
    std::filesystem::create_directory(path + "/home");
    ::setenv("MARROWLOCK_HOME", (path + "/home").c_str(), 1);
    std::filesystem::current_path(path);
    return path;
  }();
  return folder;
}

}  // namespace marrowlock
