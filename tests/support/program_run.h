// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#ifdef _WIN32
// Windows has no user ids; runs as another user are POSIX runs only.
using uid_t = unsigned;
#endif

namespace marrowlock {

#ifdef _WIN32
// `text` (UTF-8) in UTF-16, and one argument quoted as CommandLineToArgvW reads it
// back: for the runs of programs that the Windows tests start.
std::wstring Wide(const std::string& text);
std::wstring QuotedArgument(const std::wstring& arg);

// Windows has no signals: on Windows, `signal_after` and `signal_when_named` carry one
// of the console's control events instead, and the program meets it as it meets one
// from its console, on a thread of its own that runs its control handlers.
inline constexpr int kCtrlC = 0;          // CTRL_C_EVENT
inline constexpr int kCtrlBreak = 1;      // CTRL_BREAK_EVENT
inline constexpr int kConsoleClosed = 2;  // CTRL_CLOSE_EVENT: its console window closed
// The exit status of a program that such an event ended (STATUS_CONTROL_C_EXIT).
inline constexpr int kEndedByConsoleEvent = static_cast<int>(0xC000013A);
#endif

}  // namespace marrowlock

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

// Gives `path` to `user` and its group; false when that cannot be done (always on
// Windows, which has no user ids).
bool ChangeOwner(const std::string& path, uid_t user);

// Why runs as another user are impossible here, or "" when they are possible (the
// tests run as root).
std::string WhyNoOtherUser();

struct ProgramResult {
  int status = -1;  // the exit status, or 128 + the signal that ended it
  bool hung = false;
  int64_t peak_memory_bytes = 0;  // the most memory the program held at once
  std::string out;
  std::string err;
};

ProgramResult RunToEnd(const ProgramRun& run);

// A way a run is ended from outside, as a user or the system might: SIGINT (Ctrl+C),
// SIGTERM (kill) and SIGHUP (a closed terminal) on POSIX systems; Ctrl+C, Ctrl+Break
// and a closed console window on Windows. `signal` goes in `signal_after` or
// `signal_when_named`; `status` is the exit status of a run that it ended.
struct Interruption {
  int signal;
  std::string name;
  int status;
};
std::vector<Interruption> Interruptions();

// The lines of `text`, for counting messages.
std::vector<std::string> Lines(const std::string& text);

}  // namespace marrowlock
