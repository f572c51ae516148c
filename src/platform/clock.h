// SPDX-License-Identifier: MIT
#pragma once

namespace marrowlock {

// The local time of day in seconds, with fractions; it restarts at 0 at midnight.
double LocalSecondsSinceMidnight();

// Seconds since some fixed moment, never going back (not even when the clock is set):
// for measuring how long something takes.
double MonotonicSeconds();

}  // namespace marrowlock
