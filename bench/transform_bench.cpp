// SPDX-License-Identifier: MIT
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "cipher/block_multiplier.h"
#include "cipher/key_inverse.h"
#include "commands/block_transform.h"
#include "commands/key_file.h"
#include "quiet_platform.h"
#include "state/program_state.h"

namespace marrowlock {
namespace {

std::vector<uint8_t> RandomBytes(size_t count, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> bytes(count);
  for (auto& b : bytes) b = static_cast<uint8_t>(rng());
  return bytes;
}

std::vector<uint8_t> RandomKeyHalf(int n) {
  std::vector<uint8_t> pair = RandomBytes(static_cast<size_t>(n), 7);
  pair.back() |= 1;
  return pair;
}

// The byte-wise schoolbook, one block per call, as the program state holds it.
void BM_Reference(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const size_t cells = static_cast<size_t>(n);
  QuietPlatform platform;
  ProgramState s(platform);
  std::vector<uint8_t> pair = RandomKeyHalf(n);
  SetKeyTables(s, pair.data(), pair.data(), n);
  std::vector<uint8_t> data = RandomBytes(cells, 11);
  std::copy(data.begin(), data.end(), s.PlainBlock.begin());
  for (auto _ : state) {
    MultiplyBlock(s, 0);
    StoreBlockResult(s, 0);
    benchmark::DoNotOptimize(s.CipherBlock.data());
    s.PlainBlock[cells - 1] ^= s.CipherBlock[0];
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * n);
}

// The word-based multiplier over a 64 KiB run of blocks, as the commands call it.
void BM_Fast(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const size_t bytes = 64 * 1024;
  std::vector<uint8_t> pair = RandomKeyHalf(n);
  BlockMultiplier multiplier(pair.data(), n);
  std::vector<uint8_t> data = RandomBytes(bytes, 13);
  for (auto _ : state) {
    multiplier.Apply(data.data(), bytes / static_cast<size_t>(n));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
}

void BM_Inverse(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<uint8_t> pair = RandomKeyHalf(n);
  for (auto _ : state) benchmark::DoNotOptimize(InverseModBlock(pair));
}

BENCHMARK(BM_Reference)->Arg(1)->Arg(2)->Arg(4)->Arg(8)->Arg(16)->Arg(256);
BENCHMARK(BM_Fast)->Arg(1)->Arg(2)->Arg(4)->Arg(8)->Arg(16)->Arg(256);
BENCHMARK(BM_Inverse)->Arg(16)->Arg(256);

}  // namespace
}  // namespace marrowlock

BENCHMARK_MAIN();
