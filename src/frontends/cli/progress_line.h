// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace marrowlock {

// The progress of a call on one line of standard error, redrawn in place: shown
// only when standard error is a terminal, -q was not given, and the work has lasted
// about a second; erased at the end, so that a call that went well leaves nothing
// on standard error. Messages printed through Report take a line of their own above it.
class ProgressLine {
 public:
  // `total`: the bytes of every input, or -1 when some are streams of unknown length.
  ProgressLine(bool shown, int64_t total);

  // The bytes read so far; the streams add to it from any thread.
  std::atomic<int64_t>& done() { return done_; }

  // Redraws the line when it is shown and due.
  void Tick();
  // Prints "marrowlock-cli: " + text on a line of its own; from any thread.
  void Report(const std::string& text);
  // Erases the line for good.
  void Finish();

 private:
  void Erase();

  const bool shown_;
  const bool erases_;  // the terminal erases to the end of a line ("\033[K")
  const int64_t total_;
  const double start_;
  std::atomic<int64_t> done_{0};
  std::mutex mutex_;
  bool drawn_ = false;
  size_t width_ = 0;  // the widest text drawn since the line was last erased
  bool finished_ = false;
};

// The line's text after `seconds`: the bytes done, the rate, and, when the total is
// known, a bar, the share done and the time left, e.g.
//   "[########            ]  40%  102.4 MiB of 256.0 MiB  51.2 MiB/s  0:03 left"
std::string ProgressText(int64_t done, int64_t total, double seconds);

// What draws `text` over a progress line of `drawn` characters, and what erases it:
// with a terminal that erases to the end of a line, that sequence; without one
// (a Windows console without virtual-terminal mode), spaces over the old text.
std::string RedrawnLine(const std::string& text, size_t drawn, bool erases);
std::string ErasedLine(size_t drawn, bool erases);

}  // namespace marrowlock
