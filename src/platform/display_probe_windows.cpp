// SPDX-License-Identifier: MIT
#include "platform/display_probe.h"

namespace marrowlock {

// A Windows session always has its desktop: there is no display server to ask.
bool PrepareWindowPlatform() { return true; }

}  // namespace marrowlock
