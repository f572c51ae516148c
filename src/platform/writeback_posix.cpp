// SPDX-License-Identifier: MIT
#include "platform/writeback.h"

#include <fcntl.h>

namespace marrowlock {

// Only Linux can start the writing of a range without waiting for it; elsewhere the
// sync before publishing does all of it.
void StartWriteback(const File& file, int64_t offset, int64_t length) {
#if MARROWLOCK_LINUX_FEATURES
  ::sync_file_range(file.Handle(), offset, length, SYNC_FILE_RANGE_WRITE);
#else
  (void)file;
  (void)offset;
  (void)length;
#endif
}

}  // namespace marrowlock
