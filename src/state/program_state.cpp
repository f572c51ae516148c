// SPDX-License-Identifier: MIT
#include "state/program_state.h"

#include "cipher/framing.h"
#include "platform/system_paths.h"

namespace marrowlock {

ProgramState::ProgramState(Platform& platform) : platform(platform) { SetStartValues(*this); }

void SetStartValues(ProgramState& s) {
  s.LogPath = LogFilePath();
  s.BlockLength = 16;
  s.TruncatedProduct = true;
  s.KeyLoaded = false;
  s.RenameRequested = false;
  s.BinaryMode = false;
  s.AbortRequested = false;
  s.ProgressInterval = 1;
  s.ChunkSize = kChunkSize;
  s.FlushThreshold = 1024;
  s.DisplayLimit = 32000;
  s.LineBreak = "\r\n";
  s.BatchMode = false;
  s.UseDefaultKey = true;
  s.OutputNameGiven = false;
}

}  // namespace marrowlock
