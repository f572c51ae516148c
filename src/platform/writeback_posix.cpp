// SPDX-License-Identifier: MIT
#include "platform/writeback.h"

#include <fcntl.h>

namespace marrowlock {

void StartWriteback(const File& file, int64_t offset, int64_t length) {
  ::sync_file_range(file.Handle(), offset, length, SYNC_FILE_RANGE_WRITE);
}

}  // namespace marrowlock
