// SPDX-License-Identifier: MIT
#pragma once

namespace marrowlock {

// The local time of day in seconds, with fractions; it restarts at 0 at midnight.
double LocalSecondsSinceMidnight();

}  // namespace marrowlock
