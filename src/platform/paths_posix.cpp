// SPDX-License-Identifier: MIT
// The letter case of names on POSIX systems; the rest of the paths is in paths.cpp.
#include "platform/paths.h"

namespace marrowlock {

// Linux file systems tell "LEDGER.ENC" from "ledger.enc". (A Mac's APFS ignores case
// by default; a build for it would ask the folder with pathconf(_PC_CASE_SENSITIVE).)
std::string NameAsCompared(const std::string& name) { return name; }

}  // namespace marrowlock
