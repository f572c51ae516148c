// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

#include "state/program_state.h"

namespace marrowlock {

// The throughput shown while an encryption or decryption runs: how far it is and
// how fast it goes, at most once per ProgressInterval, on the progress display.

// The throughput text of `bytes` done in `seconds`: a space, the value with at most
// one decimal and no zero before the point, then "KB/min", or "MB/min" from 1024 KB
// a minute on (" 812.4KB/min", " 1MB/min", " .5KB/min").
std::string RateText(int64_t bytes, double seconds);

// Timing of one run, kept by the command between blocks.
struct RunTiming {
  double start = 0;
  double last_update = 0;
  // The source bytes taken at the last update.
  int64_t last_position = 0;
  // UserWaitSeconds when the run started.
  double waited_before = 0;
};

// Starts the timing of a run at the current time.
RunTiming StartTiming(ProgramState& s);

// The update after a step of the run, when at least ProgressInterval has passed
// since the last one, from the source bytes taken so far (SourcePos for an
// encryption, CipherPos for a decryption). An encryption shows nothing at its first
// due update.
void UpdateEncryptProgress(ProgramState& s, RunTiming& t);
void UpdateDecryptProgress(ProgramState& s, RunTiming& t);

}  // namespace marrowlock
