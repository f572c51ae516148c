// SPDX-License-Identifier: MIT
#include "platform/writeback.h"

namespace marrowlock {

// Windows has no call that starts writing a range without waiting for it; the cache
// manager writes behind on its own, so the advice is simply not given.
void StartWriteback(const File& /*file*/, int64_t /*offset*/, int64_t /*length*/) {}

}  // namespace marrowlock
