// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

#include "commands/throughput.h"
#include "state/program_state.h"

namespace marrowlock {

// The operation log, a text file with one record per finished encryption or
// decryption. Every record is a double quote, the record text, a double quote and
// CR LF. The record texts are
//   header: "Filesize         Time         Task" BEL CR
//   entry:  <size> ",      " <seconds> "secs,      " <task> BEL CR
// where <size> is a decimal integer and <seconds> the elapsed time in whole
// hundredths, written with only the decimals it has, with a "0" in front when it is
// below one second ("0.25", "2.5", "00").

// The seconds text of an elapsed time.
std::string LogSecondsText(double elapsed);
// One record, quotes and CR LF included.
std::string LogHeaderRecord();
std::string LogEntryRecord(int64_t size, double elapsed, const std::string& task);

// Appends the entry record for a run that started at `start_time` (seconds since
// midnight) and ends now, less the `waited` seconds it spent waiting for the user,
// with the header first when the log is empty. A run that crossed midnight counts
// the day's wrap. Writes to LogPath, or to the system
// folder's log when LogPath is empty. A new log is the owner's only (0600), and a
// link at its name is never followed. Throws FileError.
void AppendLogLine(ProgramState& s, int64_t size, double start_time, const std::string& task,
                   double waited = 0);

// AppendLogLine for a run with `timing` whose result has its name already, without
// the time the run's name boxes and messages waited for the user: a log that cannot
// be written costs only its record. Its "Cannot …" message is shown, and a batch run
// then ends with a failure status; the result keeps its name.
void LogFinishedRun(ProgramState& s, int64_t size, const RunTiming& timing,
                    const std::string& task);

}  // namespace marrowlock
