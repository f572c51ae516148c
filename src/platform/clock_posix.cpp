// SPDX-License-Identifier: MIT
#include "platform/clock.h"

#include <sys/time.h>
#include <time.h>

namespace marrowlock {

double LocalSecondsSinceMidnight() {
  timeval now;
  ::gettimeofday(&now, nullptr);
  tm local;
  ::localtime_r(&now.tv_sec, &local);
  return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + now.tv_usec / 1e6;
}

double MonotonicSeconds() {
  timespec now;
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

}  // namespace marrowlock
