// SPDX-License-Identifier: MIT
#include "commands/run_pacing.h"

#include <algorithm>

#include "platform/processors.h"

namespace marrowlock {
namespace {

// The window's hold on a run: progress, events and Escape at the flush points.
class WindowPacing final : public Pacing {
 public:
  WindowPacing(ProgramState& s, Direction direction, RunTiming& timing)
      : s_(s), direction_(direction), timing_(timing) {}

  int64_t StepBytes() const override {
    // Whole blocks: the first block boundary at or past the threshold.
    const int64_t n = s_.BlockLength;
    return std::max<int64_t>(1, (s_.FlushThreshold + n - 1) / n) * n;
  }

  bool AfterStep(const RunPosition& at, bool flush_point) override {
    if (direction_ == Direction::kEncrypt) {
      s_.SourcePos = at.framed;
      UpdateEncryptProgress(s_, timing_);
    } else {
      s_.CipherPos = at.framed;
      UpdateDecryptProgress(s_, timing_);
    }
    if (!flush_point) return true;
    s_.platform.ProcessEvents();
    return !s_.AbortRequested;
  }

 private:
  ProgramState& s_;
  Direction direction_;
  RunTiming& timing_;
};

}  // namespace

RunOutcome RunBlocks(ProgramState& s, PipelineJob job, RunTiming& timing) {
  WindowPacing pacing(s, job.direction, timing);
  job.pacing = s.BatchMode ? nullptr : &pacing;
  Pipeline pipeline(s.BatchMode ? ProcessorCount() : 1);
  return pipeline.Run(job);
}

}  // namespace marrowlock
