// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>

namespace marrowlock {

// Fills `bytes` from the kernel's random source (getrandom, or /dev/urandom on
// kernels without it). Throws FileError when the source fails.
void FillRandom(uint8_t* bytes, size_t count);

}  // namespace marrowlock
