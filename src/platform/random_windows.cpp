// SPDX-License-Identifier: MIT
#include "platform/random.h"

#include <windows.h>
// After windows.h, which it needs.
#include <bcrypt.h>

#include <algorithm>

#include "platform/file_system.h"

namespace marrowlock {

void FillRandom(uint8_t* bytes, size_t count) {
  size_t done = 0;
  while (done < count) {
    const ULONG piece = static_cast<ULONG>(std::min<size_t>(count - done, 1 << 20));
    if (::BCryptGenRandom(nullptr, bytes + done, piece, BCRYPT_USE_SYSTEM_PREFERRED_RNG) != 0) {
      throw FileError("read", "the random source", "The system's random generator failed");
    }
    done += piece;
  }
}

}  // namespace marrowlock
