// SPDX-License-Identifier: MIT
#include "commands/block_transform.h"

#include <stdexcept>
#include <vector>

namespace marrowlock {
namespace {

// The tables exist only once a key is open; using them before is a program fault,
// reported rather than read out of bounds.
void RequireTables(const ProgramState& s) {
  const size_t n = static_cast<size_t>(s.BlockLength);
  if (s.BlockLength <= 0 || s.PlainBlock.size() < n || s.CipherBlock.size() < n ||
      s.DecryptedBlock.size() < n || s.PairKey.size() < n || s.PalKey.size() < n ||
      s.ProductCells.size() < 2 * n) {
    throw std::out_of_range("Subscript out of range: no key is open");
  }
}

}  // namespace

// Readable schoolbook multiplication, one byte digit at a time, from the least
// significant end. The registers A, B and S count positions from 1 at the most
// significant end; index 0 of each vector is unused.
void MultiplyBlock(ProgramState& s, int mode) {
  RequireTables(s);
  const int n = s.BlockLength;
  std::vector<int> a(static_cast<size_t>(n) + 1, 0);
  std::vector<int> b(static_cast<size_t>(n) + 1, 0);
  std::vector<int> sum(2 * static_cast<size_t>(n) + 1, 0);

  if (mode == 0 || mode == 1) {
    const Cells& input = mode == 0 ? s.PlainBlock : s.CipherBlock;
    const Cells& multiplier = mode == 0 ? s.PairKey : s.PalKey;
    for (int i = 1; i <= n; ++i) {
      a[i] = input[i - 1];
      b[i] = multiplier[i - 1];
    }
  }

  for (int i = n; i >= 1; --i) {
    int k = i + n;
    for (int j = n; j >= 1; --j) {
      // Position k <= N lies in the high half, which nobody reads.
      if (s.TruncatedProduct && i + j <= n) break;
      int t = a[i] * b[j] + sum[k];
      if (t < 256) {
        sum[k] = t;
      } else {
        sum[k] = t % 256;
        int carry = t / 256;
        for (int q = k - 1; q >= 1 && carry != 0; --q) {
          int u = sum[q] + carry;
          sum[q] = u % 256;
          carry = u / 256;
        }
      }
      --k;
    }
  }

  for (int r = 0; r < 2 * n; ++r) s.ProductCells[r] = static_cast<uint8_t>(sum[r + 1]);
}

void StoreBlockResult(ProgramState& s, int mode) {
  if (mode != 0 && mode != 1) return;
  RequireTables(s);
  const int n = s.BlockLength;
  Cells& result = mode == 0 ? s.CipherBlock : s.DecryptedBlock;
  for (int i = 2 * n - 1; i >= n; --i) result[i - n] = s.ProductCells[i];
}

}  // namespace marrowlock
