// SPDX-License-Identifier: MIT
#include "platform/console.h"

namespace marrowlock {

void WriteText(std::FILE* stream, std::string_view text) {
  // One call, so that stdio's lock keeps the text whole.
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fflush(stream);
}

// Terminals on these systems speak the VT100 sequences.
bool TerminalErasesLines(std::FILE* /*stream*/) { return true; }

}  // namespace marrowlock
