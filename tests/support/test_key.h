// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace marrowlock {

// An N-byte big-endian number multiplied modulo 256^N, byte by byte: the reference
// the commands' output is checked against, written independently of the program's
// multipliers.
inline std::vector<uint8_t> MultiplyMod(const std::vector<uint8_t>& a,
                                        const std::vector<uint8_t>& b) {
  const size_t n = a.size();
  std::vector<uint32_t> low(n, 0);  // little-endian columns
  for (size_t i = 0; i < n; ++i)
    for (size_t j = 0; i + j < n; ++j) low[i + j] += uint32_t{a[n - 1 - i]} * b[n - 1 - j];
  std::vector<uint8_t> out(n);
  uint64_t carry = 0;
  for (size_t k = 0; k < n; ++k) {
    uint64_t v = low[k] + carry;
    out[n - 1 - k] = static_cast<uint8_t>(v);
    carry = v >> 8;
  }
  return out;
}

struct TestKey {
  std::vector<uint8_t> pair, pal;
};

// A random odd Pair and its inverse, found by Newton's iteration x = x(2 - ax),
// which doubles the correct low bits each round.
inline TestKey MakeTestKey(int n, unsigned seed) {
  std::mt19937 random(seed);
  TestKey key;
  for (int i = 0; i < n; ++i) {
    uint8_t b = static_cast<uint8_t>(random());
    key.pair.push_back(i == n - 1 ? static_cast<uint8_t>(b | 1) : b);
  }
  std::vector<uint8_t> x(static_cast<size_t>(n), 0);
  x.back() = 1;
  for (int round = 0; round < 12; ++round) {
    std::vector<uint8_t> ax = MultiplyMod(key.pair, x);
    // two - ax, modulo 256^N
    std::vector<uint8_t> t(ax.size());
    int borrow = 0;
    for (size_t k = ax.size(); k-- > 0;) {
      int v = (k + 1 == ax.size() ? 2 : 0) - ax[k] - borrow;
      borrow = v < 0;
      t[k] = static_cast<uint8_t>(v + (borrow ? 256 : 0));
    }
    x = MultiplyMod(x, t);
  }
  key.pal = x;
  return key;
}

// The plain blocks of `data` as the program frames them: cut every N bytes, the last
// short block completed with a space and zero bytes, or with spaces only when a
// binary source's final 4001-byte chunk arrived with less than a block still to come.
inline std::string ReferenceFraming(const std::string& data, int n, bool binary) {
  const int64_t length = static_cast<int64_t>(data.size());
  std::string out = data.substr(0, static_cast<size_t>(length / n * n));
  const int64_t rest = length % n;
  if (rest == 0 && !(binary && length == 0)) return out;
  std::string last = data.substr(static_cast<size_t>(length - rest));
  const int64_t chunks = (length + 4000) / 4001;
  const int64_t final_chunk = length % 4001 == 0 ? 4001 : length % 4001;
  bool spaces = binary && chunks >= 2 && ((chunks - 1) * 4001) % n + final_chunk < n;
  last += ' ';
  last.resize(static_cast<size_t>(n), spaces ? ' ' : '\0');
  return out + last;
}

inline std::string ReferenceTransform(const std::string& blocks, const std::vector<uint8_t>& m) {
  const size_t n = m.size();
  std::string out;
  for (size_t at = 0; at + n <= blocks.size(); at += n) {
    std::vector<uint8_t> block(blocks.begin() + static_cast<long>(at),
                               blocks.begin() + static_cast<long>(at + n));
    std::vector<uint8_t> r = MultiplyMod(block, m);
    out.append(r.begin(), r.end());
  }
  return out;
}

inline std::string PatternBytes(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string out(size, '\0');
  for (char& c : out) c = static_cast<char>(random());
  return out;
}

}  // namespace marrowlock
