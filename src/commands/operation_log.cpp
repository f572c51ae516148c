// SPDX-License-Identifier: MIT
#include "commands/operation_log.h"

#include <cmath>

#include "platform/system_paths.h"
#include "state/window_commands.h"

namespace marrowlock {
namespace {

std::string Record(const std::string& text) { return "\"" + text + "\"\r\n"; }

}  // namespace

std::string LogSecondsText(double elapsed) {
  // Whole hundredths; the allowance keeps 0.7 s, which a clock subtraction gives as
  // 0.69999..., from reading 0.69.
  int64_t hundredths = static_cast<int64_t>(std::floor(elapsed * 100.0 + 1e-6));
  if (hundredths < 0) hundredths = 0;
  int64_t whole = hundredths / 100;
  int64_t fraction = hundredths % 100;
  std::string text = whole == 0 ? "0" : std::to_string(whole);
  if (fraction != 0) {
    std::string digits = std::to_string(fraction);
    if (digits.size() == 1) digits = "0" + digits;
    if (digits.back() == '0') digits.pop_back();
    text += "." + digits;
  }
  // Below one second the number reads without its zero before the point and then
  // gets a "0" in front, so no time at all reads "00".
  if (whole == 0) text = (fraction == 0 ? "0" : "") + text;
  return text;
}

std::string LogHeaderRecord() { return Record("Filesize         Time         Task\x07\r"); }

std::string LogEntryRecord(int64_t size, double elapsed, const std::string& task) {
  return Record(std::to_string(size) + ",      " + LogSecondsText(elapsed) + "secs,      " + task +
                "\x07\r");
}

void AppendLogLine(ProgramState& s, int64_t size, double start_time, const std::string& task,
                   double waited) {
  double end = s.platform.SecondsSinceMidnight();
  if (end < start_time) end += 86400.0;
  end -= waited;
  std::string path = s.LogPath.empty() ? LogFilePath() : s.LogPath;
  if (path == LogFilePath()) EnsureSystemFolder();
  File log = File::OpenAppend(path, Access::kPrivate);
  std::string records = log.Size() == 0 ? LogHeaderRecord() : std::string();
  records += LogEntryRecord(size, end - start_time, task);
  log.Write(records);
  log.Close();
}

void LogFinishedRun(ProgramState& s, int64_t size, const RunTiming& timing,
                    const std::string& task) {
  const double waited = s.UserWaitSeconds - timing.waited_before;
  try {
    AppendLogLine(s, size, timing.start, task, waited);
  } catch (const FileError& e) {
    Refuse(s, e.what());
  }
}

}  // namespace marrowlock
