// SPDX-License-Identifier: MIT
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace marrowlock {

// A platform whose user has answered every question in advance. Messages and
// dialog requests are recorded for the test to read; an answer that was not
// scripted fails the test (a message box needs no answer).
class ScriptedPlatform : public Platform {
 public:
  // Answers, used in order.
  std::deque<std::string> input_answers;
  std::deque<std::optional<std::string>> file_answers;  // nullopt: the user cancels

  // What the program showed or asked.
  std::vector<std::string> messages;
  std::vector<std::string> prompts;
  std::vector<FileDialogRequest> file_requests;
  int redraws = 0;
  int process_events_calls = 0;
  int closed_windows = 0;

  // Runs inside ProcessEvents and WaitForEvents, as the user's actions would.
  std::function<void()> on_events;
  std::vector<std::string> drives = {"/"};

  // Runs at every look at the clock, as the world goes on meanwhile: the one hook
  // into a batch run, which runs no events.
  std::function<void()> on_clock;
  // The clock: `now` is returned, then advanced by `clock_step`.
  double now = 36000.0;
  double clock_step = 0.0;
  // How long the user takes to answer an input box: the clock moves on by this much.
  double input_box_seconds = 0.0;

  void MessageBox(const std::string& text) override;
  std::string InputBox(const std::string& prompt) override;
  std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) override;
  void Redraw() override { ++redraws; }
  void ProcessEvents() override;
  void WaitForEvents() override;
  void CloseWindows() override { ++closed_windows; }
  std::vector<std::string> ListDrives() override { return drives; }
  double SecondsSinceMidnight() override;
};

}  // namespace marrowlock
