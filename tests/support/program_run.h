// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#ifdef _WIN32
// Windows has no user ids; runs as another user are POSIX runs only.
using uid_t = unsigned;
#endif

namespace marrowlock {

// How to start a program for a test: its arguments go to it exactly as given (no shell
// in between, so blanks, quotes and newlines stay part of them).
struct ProgramRun {
  std::string program;
  std::vector<std::string> args;
  std::string folder = ".";              // the working directory of the program
  std::string input;                     // its standard input
  std::optional<off_t> file_size_limit;  // RLIMIT_FSIZE; SIGXFSZ is left at its default
  std::vector<std::string> environment;  // "NAME=value" over the test's own; "NAME" unsets
  double timeout_seconds = 60;           // then it is killed and counted as hung
  std::optional<mode_t> umask;           // the program's umask, else the test's own
  // Run as this user (and its group), from root, from a copy of the program in a folder
  // that user can reach.
  std::optional<uid_t> user;
  // A signal sent to the program once it has run this long, as a user or the system
  // might: SIGINT for Ctrl+C, SIGTERM for kill, SIGHUP for a closed terminal.
  std::optional<std::pair<int, double>> signal_after;
  // A signal sent as soon as a name that begins with this prefix appears in the
  // program's working directory: the program is caught while it holds such a file.
  std::optional<std::pair<int, std::string>> signal_when_named;
};

// The unprivileged user that tests run programs as, to play a second user or to
// meet permissions that root would pass: "nobody".
inline constexpr uid_t kOtherUser = 65534;

// Why runs as another user are impossible here, or "" when they are possible (the
// tests run as root).
std::string WhyNoOtherUser();

struct ProgramResult {
  int status = -1;  // the exit status, or 128 + the signal that ended it
  bool hung = false;
  std::string out;
  std::string err;
};

ProgramResult RunToEnd(const ProgramRun& run);

// The lines of `text`, for counting messages.
std::vector<std::string> Lines(const std::string& text);

}  // namespace marrowlock
