// SPDX-License-Identifier: MIT
#include "app/command_line.h"

#include "app/load_file.h"
#include "commands/decrypt_command.h"
#include "commands/encrypt_command.h"
#include "commands/key_file.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "state/window_commands.h"

namespace marrowlock {
namespace {

// Only the space is a blank here; tabs belong to names.
std::string TrimBlanks(const std::string& text) {
  size_t begin = text.find_first_not_of(' ');
  if (begin == std::string::npos) return "";
  size_t end = text.find_last_not_of(' ');
  return text.substr(begin, end - begin + 1);
}

bool IsOptionAt(const std::string& text, size_t index) {
  if (index + 2 > text.size() || text[index] != '-') return false;
  char letter = text[index + 1];
  return letter == 'i' || letter == 'k' || letter == 'o';
}

void ParseOptions(const std::string& option_text, CommandLine& line) {
  size_t pos = 0;
  while (pos < option_text.size()) {
    size_t blank = option_text.find(' ', pos);
    size_t end = blank == std::string::npos ? option_text.size() : blank;
    std::string token = option_text.substr(pos, end - pos);
    pos = end + 1;
    if (!IsOptionAt(token, 0)) continue;
    std::string value = token.substr(2);
    switch (token[1]) {
      case 'i':
        line.batch = true;
        break;
      case 'k':
        if (!line.key_given) line.key = value;
        line.key_given = true;
        break;
      case 'o':
        if (!line.output_given) line.output = value;
        line.output_given = true;
        break;
    }
  }
}

}  // namespace

std::string JoinArguments(int argc, char** argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) text += ' ';
    text += argv[i];
  }
  return text;
}

CommandLine ParseCommandLine(const std::string& raw) {
  CommandLine line;
  std::string text = TrimBlanks(raw);
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    text = text.substr(1, text.size() - 2);
  }
  if (text.empty()) return line;

  // The name runs up to the first blank that an option follows; a blank followed
  // by anything else is part of the name.
  size_t first = text.find(' ');
  if (first == std::string::npos) {
    line.input = text;
    return line;
  }
  size_t end = first;
  bool has_options = false;
  for (size_t blank = first; blank != std::string::npos; blank = text.find(' ', blank + 1)) {
    if (IsOptionAt(text, blank + 1)) {
      end = blank;
      has_options = true;
      break;
    }
    end = text.size();
  }
  line.input = TrimBlanks(text.substr(0, end));
  if (has_options) ParseOptions(TrimBlanks(text.substr(end)), line);
  return line;
}

bool IsOpenCommandLine(int argc, char** argv) {
  return argc >= 2 && std::string(argv[1]) == kOpenOption;
}

void SetCommandLine(ProgramState& s, int argc, char** argv) {
  s.CommandLineIsName = IsOpenCommandLine(argc, argv);
  if (s.CommandLineIsName) {
    s.CommandLineText = argc >= 3 ? argv[2] : "";
  } else {
    s.CommandLineText = JoinArguments(argc, argv);
  }
}

CommandLine ReadCommandLine(const ProgramState& s) {
  if (!s.CommandLineIsName) return ParseCommandLine(s.CommandLineText);
  CommandLine line;
  line.input = s.CommandLineText;
  return line;
}

bool IsBatchCommandLine(const std::string& text) {
  CommandLine line = ParseCommandLine(text);
  return line.batch && !line.input.empty() && !EndsWithIgnoringCase(line.input, ".dec");
}

void RunCommandLine(ProgramState& s) {
  CommandLine line = ReadCommandLine(s);
  if (line.input.empty()) return;

  if (line.batch) {
    s.BatchMode = true;
    ToggleBinaryMode(s);
  }
  if (line.key_given) s.UseDefaultKey = false;
  if (line.output_given) {
    s.OutputNameGiven = true;
    s.CommandLineOutputName = line.output;
  }
  s.CommandLineInput = BareName(line.input, WorkingDirectory());

  if (EndsWithIgnoringCase(s.CommandLineInput, ".dec")) {
    // A decrypted file is only ever shown, in text mode and in the window.
    s.StartedWithFile = false;
    s.UseDefaultKey = true;
    s.OutputNameGiven = false;
    if (s.BinaryMode || s.BatchMode) {
      s.BatchMode = false;
      ToggleBinaryMode(s);
    }
    ShowMainWindow(s);
    RefreshWindow(s);
    s.LoadedFileName = s.CommandLineInput;
    LoadFile(s);
    return;
  }

  bool decrypting = EndsWithIgnoringCase(s.CommandLineInput, ".enc");
  if (!s.BinaryMode) ToggleBinaryMode(s);
  s.StartedWithFile = true;
  if (!s.BatchMode) {
    ShowMainWindow(s);
    RefreshWindow(s);
  }
  s.PendingKeyFile = s.UseDefaultKey ? s.DefaultKeyName : line.key;
  OpenKeyFile(s);
  if (decrypting) {
    s.DecryptSourceName = s.CommandLineInput;
    DecryptCommand(s);
  } else {
    s.EncryptSourceName = s.CommandLineInput;
    EncryptCommand(s);
  }
}

}  // namespace marrowlock
