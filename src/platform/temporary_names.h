// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace marrowlock {

// Hidden temporary files that must not outlive the program. A file made under a
// hidden name (".mlk-" and six random characters) is registered here while the name
// exists; once the cleanup handlers are installed, SIGINT, SIGTERM and SIGHUP
// unlink every registered name before the signal ends the program as it would have.
// SIGKILL and a power cut cannot be caught: they may leave such a name behind.
//
// The table is fixed and the handler only reads it and calls unlink, so the handler
// is async-signal-safe. A name that does not fit the table (more than 256 at once,
// or longer than PATH_MAX) is not registered and is removed only by its owner.

// Holds off the cleanup while it lives, so that a hidden name is never made without
// being registered, nor renamed away without being forgotten, when a signal falls in
// between: SIGINT, SIGTERM and SIGHUP are blocked in the calling thread, and one that
// another thread of the program receives meanwhile is acted on when the last such
// object in the program goes, so any thread may make hidden names. Once a signal is
// being acted on, a new object never returns: the program is ending.
class CleanupSignalsBlocked {
 public:
  CleanupSignalsBlocked();
  ~CleanupSignalsBlocked();
  CleanupSignalsBlocked(const CleanupSignalsBlocked&) = delete;
  CleanupSignalsBlocked& operator=(const CleanupSignalsBlocked&) = delete;

 private:
  void Leave();

  // What the thread had blocked before, in the system's own form (a signal mask on
  // POSIX systems).
  alignas(16) unsigned char previous_[128];
};

// Registers `path`; returns its slot, or -1 when it could not be registered.
int RegisterTemporaryName(const std::string& path);
// Forgets the name in `slot` (a slot of -1 is ignored).
void ForgetTemporaryName(int slot);

// Installs the cleanup handlers for SIGINT, SIGTERM and SIGHUP, for every thread of
// the program. A signal that was ignored when the program started (a run under
// nohup) stays ignored.
void RemoveTemporariesOnSignals();

// Ignores SIGXFSZ, so that a file-size limit (ulimit -f) makes the write that passes
// it fail with "File too large" instead of killing the program without a word.
void IgnoreFileSizeSignal();

}  // namespace marrowlock
