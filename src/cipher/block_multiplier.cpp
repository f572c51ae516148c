// SPDX-License-Identifier: MIT
#include "cipher/block_multiplier.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace marrowlock {
namespace {

__extension__ typedef unsigned __int128 Uint128;
// Eight 16-bit lanes; plain SSE2 on x86-64, NEON on ARM.
typedef uint16_t Uint16x8 __attribute__((vector_size(16)));

constexpr bool kLittleEndian = std::endian::native == std::endian::little;

// N = 256 as 64-bit limbs.
constexpr size_t kLimbs = 32;

uint16_t LoadBig16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, sizeof v);
  return kLittleEndian ? __builtin_bswap16(v) : v;
}
uint32_t LoadBig32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, sizeof v);
  return kLittleEndian ? __builtin_bswap32(v) : v;
}
uint64_t LoadBig64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return kLittleEndian ? __builtin_bswap64(v) : v;
}
void StoreBig16(uint8_t* p, uint16_t v) {
  if (kLittleEndian) v = __builtin_bswap16(v);
  std::memcpy(p, &v, sizeof v);
}
void StoreBig32(uint8_t* p, uint32_t v) {
  if (kLittleEndian) v = __builtin_bswap32(v);
  std::memcpy(p, &v, sizeof v);
}
void StoreBig64(uint8_t* p, uint64_t v) {
  if (kLittleEndian) v = __builtin_bswap64(v);
  std::memcpy(p, &v, sizeof v);
}

// N = 1: every byte times m mod 256. Each 16-bit lane holds two bytes; multiplying
// them apart in 16 bits keeps a product from spilling into its neighbour.
void ApplyOneByte(uint8_t* blocks, size_t count, uint8_t m) {
  size_t done = 0;
  const uint16_t mm = m;
  for (; done + 16 <= count; done += 16) {
    Uint16x8 v;
    std::memcpy(&v, blocks + done, 16);
    Uint16x8 even = ((v & 0xFF) * mm) & 0xFF;
    Uint16x8 odd = (v >> 8) * mm;
    v = even | static_cast<Uint16x8>(odd << 8);
    std::memcpy(blocks + done, &v, 16);
  }
  for (; done < count; ++done) blocks[done] = static_cast<uint8_t>(blocks[done] * m);
}

// N = 2: eight blocks per step; lane arithmetic is already mod 2^16.
void ApplyTwoBytes(uint8_t* blocks, size_t count, uint16_t m) {
  size_t done = 0;
  for (; done + 8 <= count; done += 8) {
    Uint16x8 v;
    std::memcpy(&v, blocks + 2 * done, 16);
    if (kLittleEndian) v = (v << 8) | (v >> 8);
    v *= m;
    if (kLittleEndian) v = (v << 8) | (v >> 8);
    std::memcpy(blocks + 2 * done, &v, 16);
  }
  for (; done < count; ++done) {
    uint8_t* p = blocks + 2 * done;
    // Widened first: two uint16_t operands multiply as int, which can overflow.
    StoreBig16(p, static_cast<uint16_t>(uint32_t{LoadBig16(p)} * m));
  }
}

// The low half of the product of two numbers of kLimbs 64-bit limbs (little-endian
// limbs) into r, by product scanning: column k of the low half sums a[i] * b[k - i]
// for i = 0..k into a 192-bit accumulator, so each limb of the result is written
// once and no partial product that only reaches the high half is ever formed. Each
// column is summed in two accumulators, even and odd i, so that two add-with-carry
// chains run side by side; the last column needs only the low 64 bits of its
// products. Every loop unrolls, so that the limbs sit at fixed places and the
// accumulators stay in registers (about 15% faster); kept out of line, since inlined
// into the block loop it is no longer unrolled.
__attribute__((noinline)) void LowProduct(const uint64_t* a, const uint64_t* b, uint64_t* r) {
  Uint128 acc = 0;
  uint64_t top = 0;
#pragma GCC unroll 64
  for (size_t k = 0; k + 1 < kLimbs; ++k) {
    Uint128 acc2 = 0;
    uint64_t top2 = 0;
    size_t i = 0;
#pragma GCC unroll 64
    for (; i + 1 <= k; i += 2) {
      Uint128 p = static_cast<Uint128>(a[i]) * b[k - i];
      acc += p;
      top += acc < p;
      Uint128 q = static_cast<Uint128>(a[i + 1]) * b[k - i - 1];
      acc2 += q;
      top2 += acc2 < q;
    }
    if (i == k) {
      Uint128 p = static_cast<Uint128>(a[i]) * b[0];
      acc += p;
      top += acc < p;
    }
    acc += acc2;
    top += top2 + (acc < acc2);
    r[k] = static_cast<uint64_t>(acc);
    acc = (acc >> 64) | (static_cast<Uint128>(top) << 64);
    top = 0;
  }
  uint64_t last = static_cast<uint64_t>(acc);
#pragma GCC unroll 64
  for (size_t i = 0; i < kLimbs; ++i) last += a[i] * b[kLimbs - 1 - i];
  r[kLimbs - 1] = last;
}

}  // namespace

BlockMultiplier::BlockMultiplier(const uint8_t* multiplier, int n)
    : n_(n), multiplier_(multiplier, multiplier + n) {
  for (int i = std::max(0, n - 8); i < n; ++i) low_word_ = (low_word_ << 8) | multiplier[i];
  for (int i = std::max(0, n - 16); i < n - 8; ++i) high_word_ = (high_word_ << 8) | multiplier[i];
  if (n == 8 * static_cast<int>(kLimbs)) {
    limbs_.resize(kLimbs);
    for (size_t i = 0; i < limbs_.size(); ++i) limbs_[i] = LoadBig64(multiplier + n - 8 * (i + 1));
  }
}

void BlockMultiplier::Apply(uint8_t* blocks, size_t count) const {
  switch (n_) {
    case 1:
      ApplyOneByte(blocks, count, static_cast<uint8_t>(low_word_));
      return;
    case 2:
      ApplyTwoBytes(blocks, count, static_cast<uint16_t>(low_word_));
      return;
    case 4: {
      const uint32_t m = static_cast<uint32_t>(low_word_);
      for (size_t b = 0; b < count; ++b) StoreBig32(blocks + 4 * b, LoadBig32(blocks + 4 * b) * m);
      return;
    }
    case 8:
      for (size_t b = 0; b < count; ++b)
        StoreBig64(blocks + 8 * b, LoadBig64(blocks + 8 * b) * low_word_);
      return;
    case 16: {
      const Uint128 m = (static_cast<Uint128>(high_word_) << 64) | low_word_;
      for (size_t b = 0; b < count; ++b) {
        uint8_t* p = blocks + 16 * b;
        Uint128 x = (static_cast<Uint128>(LoadBig64(p)) << 64) | LoadBig64(p + 8);
        x *= m;
        StoreBig64(p, static_cast<uint64_t>(x >> 64));
        StoreBig64(p + 8, static_cast<uint64_t>(x));
      }
      return;
    }
    default:
      if (!limbs_.empty()) {
        ApplyLimbs(blocks, count);
      } else {
        ApplyBytes(blocks, count);
      }
  }
}

void BlockMultiplier::ApplyLimbs(uint8_t* blocks, size_t count) const {
  const uint64_t* b = limbs_.data();
  uint64_t a[kLimbs];
  uint64_t r[kLimbs];
  for (size_t blk = 0; blk < count; ++blk) {
    uint8_t* block = blocks + blk * kLimbs * 8;
    for (size_t i = 0; i < kLimbs; ++i) a[i] = LoadBig64(block + 8 * (kLimbs - 1 - i));
    LowProduct(a, b, r);
    for (size_t i = 0; i < kLimbs; ++i) StoreBig64(block + 8 * (kLimbs - 1 - i), r[i]);
  }
}

// Any other block length: byte-wise, little-endian accumulation of the low N bytes.
void BlockMultiplier::ApplyBytes(uint8_t* blocks, size_t count) const {
  std::vector<uint32_t> low(static_cast<size_t>(n_));
  for (size_t b = 0; b < count; ++b) {
    uint8_t* block = blocks + b * static_cast<size_t>(n_);
    std::fill(low.begin(), low.end(), 0);
    for (int i = 0; i < n_; ++i) {
      uint32_t a = block[n_ - 1 - i];
      if (a == 0) continue;
      for (int j = 0; i + j < n_; ++j)
        low[static_cast<size_t>(i + j)] += a * multiplier_[static_cast<size_t>(n_ - 1 - j)];
    }
    uint64_t carry = 0;
    for (int k = 0; k < n_; ++k) {
      uint64_t v = low[static_cast<size_t>(k)] + carry;
      block[n_ - 1 - k] = static_cast<uint8_t>(v);
      carry = v >> 8;
    }
  }
}

}  // namespace marrowlock
