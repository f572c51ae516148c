// SPDX-License-Identifier: MIT
#include "support/scripted_platform.h"

#include <gtest/gtest.h>

namespace marrowlock {

void ScriptedPlatform::MessageBox(const std::string& text) { messages.push_back(text); }

std::string ScriptedPlatform::InputBox(const std::string& prompt) {
  prompts.push_back(prompt);
  now += input_box_seconds;
  if (now >= 86400.0) now -= 86400.0;
  if (input_answers.empty()) {
    ADD_FAILURE() << "unexpected input box: " << prompt;
    return "";
  }
  std::string answer = input_answers.front();
  input_answers.pop_front();
  return answer;
}

std::optional<std::string> ScriptedPlatform::OpenFileDialog(const FileDialogRequest& request) {
  file_requests.push_back(request);
  if (file_answers.empty()) {
    ADD_FAILURE() << "unexpected file dialog: " << request.Title;
    return std::nullopt;
  }
  std::optional<std::string> answer = file_answers.front();
  file_answers.pop_front();
  return answer;
}

void ScriptedPlatform::ProcessEvents() {
  ++process_events_calls;
  if (on_events) on_events();
}

void ScriptedPlatform::WaitForEvents() {
  if (!on_events) {
    ADD_FAILURE() << "WaitForEvents with no scripted events: it would wait forever";
    throw std::runtime_error("no scripted events");
  }
  on_events();
}

double ScriptedPlatform::SecondsSinceMidnight() {
  if (on_clock) on_clock();
  double t = now;
  now += clock_step;
  if (now >= 86400.0) now -= 86400.0;
  return t;
}

}  // namespace marrowlock
