// SPDX-License-Identifier: MIT
#include "commands/throughput.h"

#include <algorithm>
#include <cmath>

#include "state/progress_display.h"

namespace marrowlock {
namespace {

// Whole tenths or hundredths of a measured value. The small allowance keeps a value
// such as 0.7 s, which the clock subtraction yields as 0.69999..., from losing a
// digit; it is far below anything the clock can resolve.
int64_t FloorScaled(double value) { return static_cast<int64_t>(std::floor(value + 1e-7)); }

// A number given in whole tenths, written with only the decimal it has and no zero
// before the point: 8124 -> "812.4", 5 -> ".5", 10 -> "1", 0 -> "0".
std::string TenthsText(int64_t tenths) {
  int64_t whole = tenths / 10;
  int64_t fraction = tenths % 10;
  if (fraction == 0) return std::to_string(whole);
  return (whole == 0 ? std::string() : std::to_string(whole)) + "." + std::to_string(fraction);
}

bool Due(ProgramState& s, RunTiming& t, double* now) {
  *now = s.platform.SecondsSinceMidnight();
  return t.last_update + s.ProgressInterval <= *now;
}

int Clamp(int64_t percent) { return static_cast<int>(std::clamp<int64_t>(percent, 0, 100)); }

}  // namespace

std::string RateText(int64_t bytes, double seconds) {
  double per_minute = static_cast<double>(bytes) * (60.0 / seconds);
  int64_t kb_tenths = FloorScaled(per_minute * 10.0 / 1024.0);
  if (kb_tenths >= 10240) return " " + TenthsText(kb_tenths / 1024) + "MB/min";
  return " " + TenthsText(kb_tenths) + "KB/min";
}

RunTiming StartTiming(ProgramState& s) {
  RunTiming t;
  t.start = s.platform.SecondsSinceMidnight();
  t.last_update = t.start;
  t.waited_before = s.UserWaitSeconds;
  return t;
}

void UpdateEncryptProgress(ProgramState& s, RunTiming& t) {
  double now;
  if (!Due(s, t, &now)) return;
  if (!s.BatchMode && t.last_position != 0) {
    // A file's share is measured against its chunks, a text's against its length.
    const int64_t whole = s.BinaryMode ? s.ChunkSize * s.ChunkCount : s.SourceLength;
    ShowPercent(s, Clamp(s.SourcePos * 95 / whole));
    ShowRate(s, "Encrypting", RateText(s.SourcePos - t.last_position, now - t.last_update));
  }
  t.last_position = s.SourcePos;
  t.last_update = now;
}

void UpdateDecryptProgress(ProgramState& s, RunTiming& t) {
  double now;
  if (!Due(s, t, &now)) return;
  if (!s.BatchMode) {
    ShowPercent(s, Clamp(s.CipherPos * 95 / s.CipherLength));
    int64_t bytes = s.CipherPos - t.last_position;
    t.last_position = s.CipherPos;
    ShowRate(s, "Decrypting", RateText(bytes, now - t.last_update));
  }
  t.last_update = now;
}

}  // namespace marrowlock
