// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <vector>

namespace marrowlock {

// The multiplicative inverse of an N-byte big-endian number modulo 256^N: the
// Pal that undoes a Pair. REQUIRES: the number is odd (only odd numbers have an
// inverse); an even one throws std::invalid_argument.
std::vector<uint8_t> InverseModBlock(const std::vector<uint8_t>& value);

// True when `pair` times `pal` is 1 modulo 256^N: the key's Pal undoes its Pair, so
// the key decrypts what it encrypts. Both are N-byte big-endian numbers; numbers of
// different lengths, or of none, are never inverse.
bool IsInversePair(const std::vector<uint8_t>& pair, const std::vector<uint8_t>& pal);

}  // namespace marrowlock
