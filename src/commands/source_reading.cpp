// SPDX-License-Identifier: MIT
#include "commands/source_reading.h"

#include <algorithm>

#include "platform/file_system.h"

namespace marrowlock {
namespace {

// A long source is read from the disk in pieces of this size; the chunks that decide
// the framing are then cut from the piece in memory.
constexpr int64_t kReadAheadSize = int64_t{1} << 20;

}  // namespace

void ReadSourceChunk(ProgramState& s, int64_t count, std::string& out) {
  while (count > 0) {
    int64_t buffered = static_cast<int64_t>(s.SourceReadAhead.size()) - s.SourceReadAheadPos;
    if (buffered == 0) {
      s.SourceReadAhead.resize(static_cast<size_t>(std::max(count, kReadAheadSize)));
      int64_t got = s.SourceFileNumber.ReadSome(s.SourceReadAhead.data(),
                                                static_cast<int64_t>(s.SourceReadAhead.size()));
      s.SourceReadAhead.resize(static_cast<size_t>(got));
      s.SourceReadAheadPos = 0;
      if (got == 0) throw FileError("read", s.SourceFileNumber.Path(), "The file ended early");
      continue;
    }
    int64_t take = std::min(buffered, count);
    out.append(s.SourceReadAhead, static_cast<size_t>(s.SourceReadAheadPos),
               static_cast<size_t>(take));
    s.SourceReadAheadPos += take;
    count -= take;
  }
}

void ReadSourceAhead(ProgramState& s) {
  if (!s.SourceFileNumber.IsOpen()) return;
  const int64_t buffered = static_cast<int64_t>(s.SourceReadAhead.size()) - s.SourceReadAheadPos;
  if (buffered >= kReadAheadSize) return;
  s.SourceReadAhead.erase(0, static_cast<size_t>(s.SourceReadAheadPos));
  s.SourceReadAheadPos = 0;
  const size_t kept = s.SourceReadAhead.size();
  s.SourceReadAhead.resize(kept + static_cast<size_t>(kReadAheadSize));
  int64_t got = 0;
  for (int64_t more = 1; more > 0 && got < kReadAheadSize; got += more) {
    more = s.SourceFileNumber.ReadSome(s.SourceReadAhead.data() + kept + got, kReadAheadSize - got);
  }
  s.SourceReadAhead.resize(kept + static_cast<size_t>(got));
}

}  // namespace marrowlock
