// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

namespace marrowlock {

// What a test may need that only POSIX systems have. On Windows such a test skips and
// prints the reason; where only part of a test needs it, that part is left out instead.
enum class PosixOnly {
  kSecondUser,            // acting as another user: file owners, runs as "nobody"
  kPermissionBits,        // mode bits and the umask (Windows has access lists instead)
  kDeviceNodes,           // /dev/null, /dev/zero and other device nodes met as file names
  kFifos,                 // named pipes made in a folder
  kSignals,               // SIGINT, SIGTERM, SIGHUP, SIGKILL sent to a run
  kFork,                  // a child process that carries on the test's own code
  kProc,                  // /proc and the file names it gives open files
  kTmpfile,               // O_TMPFILE files that have no name until they are linked
  kFileSizeLimit,         // RLIMIT_FSIZE
  kSymlinks,              // symbolic and hard links made by an ordinary user
  kDisplayServer,         // X11 and Wayland servers, the window's display probe
  kTerminal,              // a pseudo-terminal as standard input or output
  kLoopMount,             // a file system of its own, mounted from a file
  kLinkOpenFile,          // a new name given to an open file by its descriptor
  kRemovedCurrentFolder,  // a process whose current folder was removed
};

inline const char* WhyPosixOnly(PosixOnly need) {
  switch (need) {
    case PosixOnly::kSecondUser:
      return "Windows tests do not act as a second user";
    case PosixOnly::kPermissionBits:
      return "Windows has access lists, not mode bits or a umask";
    case PosixOnly::kDeviceNodes:
      return "Windows has no device nodes in its folders";
    case PosixOnly::kFifos:
      return "Windows has no named pipes in its folders";
    case PosixOnly::kSignals:
      return "Windows has no signals (its console events have tests of their own)";
    case PosixOnly::kFork:
      return "Windows has no fork";
    case PosixOnly::kProc:
      return "Windows has no /proc";
    case PosixOnly::kTmpfile:
      return "Windows has no O_TMPFILE";
    case PosixOnly::kFileSizeLimit:
      return "Windows has no file-size limit for a process";
    case PosixOnly::kSymlinks:
      return "Windows lets only administrators make symbolic links";
    case PosixOnly::kDisplayServer:
      return "Windows has no X11 or Wayland display, and this build no window";
    case PosixOnly::kTerminal:
      return "Windows has no pseudo-terminals";
    case PosixOnly::kLoopMount:
      return "Windows cannot mount a file system from a file here";
    case PosixOnly::kRemovedCurrentFolder:
      return "Windows cannot remove a folder that a process works in";
    case PosixOnly::kLinkOpenFile:
      return "Windows cannot name an open file by its handle, so a held result is copied";
  }
  return "";
}

// True when a Windows build runs under Wine, which differs from Windows here and there.
bool UnderWine();

}  // namespace marrowlock

// At the start of a test that needs `need` (a PosixOnly name): on Windows it skips.
#ifdef _WIN32
#define MARROWLOCK_POSIX_ONLY(need) \
  GTEST_SKIP() << "POSIX only: " << ::marrowlock::WhyPosixOnly(::marrowlock::PosixOnly::need)
#else
#define MARROWLOCK_POSIX_ONLY(need) static_cast<void>(0)
#endif

// At the start of a test that Wine cannot pass where Windows would: under Wine it skips
// with `why`, what Wine does differently.
#define MARROWLOCK_NOT_UNDER_WINE(why) \
  if (::marrowlock::UnderWine()) GTEST_SKIP() << "Wine: " << why
