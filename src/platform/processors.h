// SPDX-License-Identifier: MIT
#pragma once

namespace marrowlock {

// How many processors this process may run on (its affinity mask, so a container
// limited to some cores counts only those); at least 1.
int ProcessorCount();

}  // namespace marrowlock
