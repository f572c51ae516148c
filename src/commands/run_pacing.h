// SPDX-License-Identifier: MIT
#pragma once

#include "cipher/pipeline.h"
#include "commands/throughput.h"
#include "state/program_state.h"

namespace marrowlock {

// Runs an encryption's or a decryption's blocks through the one pipeline, as the
// command's setting asks:
//   - in batch mode nothing is shown and no event runs, so the pipeline runs on every
//     processor, unpaced;
//   - with a window, on this thread, paced at the flush points: after every
//     FlushThreshold bytes of output (and after the last, shorter step) the progress
//     is updated when due (SourcePos or CipherPos then hold the source bytes taken),
//     and at each flush point the window's pending events run; an Escape pressed
//     meanwhile (AbortRequested) abandons the run before that step is written.
// The job's pacing is set here. Returns the pipeline's outcome; throws what it threw.
RunOutcome RunBlocks(ProgramState& s, PipelineJob job, RunTiming& timing);

}  // namespace marrowlock
