// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "platform/file_system.h"

namespace marrowlock {

// Asks the system to start writing `length` bytes of `file` from `offset` to the disk
// now, without waiting for it, so that a sync at the end finds little left to do.
// Only advice: on a pipe, a terminal or a file system that cannot, nothing happens.
void StartWriteback(const File& file, int64_t offset, int64_t length);

}  // namespace marrowlock
