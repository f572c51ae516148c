// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "platform/file_system.h"

namespace marrowlock {

// The process's standard input and output as Files of their own (duplicates of
// descriptors 0 and 1), so that closing them reports a failed write without closing
// the descriptors themselves. Named "standard input" and "standard output" in messages.
File StandardInput();
File StandardOutput();

// Opens anything that can be read from start to end: a regular file, a pipe, a
// FIFO or a device such as /dev/stdin. Unlike File::OpenRead it waits for a FIFO's
// writer, as a stream reader must. A folder is refused.
File OpenStream(const std::string& path);

}  // namespace marrowlock
