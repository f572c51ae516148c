// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>

#include "cipher/block_multiplier.h"
#include "state/program_state.h"

namespace marrowlock {

// The block loops of encryption and decryption take their blocks in runs: a run of
// whole blocks is multiplied in one go and appended to OutputBuffer.
//
// With a window, a run never passes a flush point, so the flushes (with their event
// processing and Escape check) come after every FlushThreshold bytes exactly where
// block-by-block work would put them. In batch mode no events are processed, so runs
// are long (up to a MiB) and their blocks are shared among every processor; the
// bytes written are the same.

// How many of `available` whole blocks the next run takes: as many as fit before
// the next flush point (batch mode: in a long run), and at least one.
int64_t BlocksInRun(const ProgramState& s, int64_t available);

// Multiplies the blocks that OutputBuffer holds from `run_start` on. In batch mode
// this thread runs `meanwhile` (reading the source ahead) while the helpers multiply,
// then takes its share; the window's short runs never call it.
void MultiplyRun(ProgramState& s, const BlockMultiplier& multiplier, size_t run_start,
                 const std::function<void()>& meanwhile);

// What a flush point decided.
enum class FlushPoint {
  kNotYet,   // OutputBuffer holds less than FlushThreshold bytes
  kFlush,    // write OutputBuffer out and empty it
  kAbandon,  // the user pressed Escape: abandon the run
};
// Once OutputBuffer holds FlushThreshold bytes or more, the window's pending events
// run, and an Escape pressed meanwhile abandons the run.
FlushPoint AtFlushPoint(ProgramState& s);

}  // namespace marrowlock
