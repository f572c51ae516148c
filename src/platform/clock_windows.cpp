// SPDX-License-Identifier: MIT
#include "platform/clock.h"

#include <windows.h>

#include <chrono>

namespace marrowlock {

double LocalSecondsSinceMidnight() {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  return now.wHour * 3600.0 + now.wMinute * 60.0 + now.wSecond + now.wMilliseconds / 1e3;
}

double MonotonicSeconds() {
  const auto since = std::chrono::steady_clock::now().time_since_epoch();
  return std::chrono::duration<double>(since).count();
}

}  // namespace marrowlock
