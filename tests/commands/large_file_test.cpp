// SPDX-License-Identifier: MIT
// A file past the 2 GiB and 4 GiB marks of narrower sizes goes through batch
// encryption and decryption whole, in a memory footprint that does not grow with it.
// It writes about 6 GiB, so it runs only when MARROWLOCK_LARGE_TESTS=1.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "files/settings_file.h"
#include "platform/file_system.h"
#include "platform/system_paths.h"
#include "support/program_run.h"
#include "support/temp_dir.h"

namespace marrowlock {
namespace {

constexpr int64_t kGiB = int64_t{1} << 30;
// Odd on purpose: the last chunk is short and the last block needs padding.
constexpr int64_t kSourceSize = 3 * kGiB + 12345;
constexpr int64_t kMemoryLimit = 64 << 20;

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Runs a program in the test's folder; its status and the most memory it held.
ProgramResult RunMeasured(const std::string& folder, const std::string& program,
                          std::vector<std::string> args) {
  ProgramRun run;
  run.program = program;
  run.args = std::move(args);
  run.folder = folder;
  run.timeout_seconds = 1200;
  return RunToEnd(run);
}

// Pieces of random data placed around the offsets where 31- and 32-bit counters
// would wrap; everything else is a hole that reads as zeros.
std::vector<int64_t> DataOffsets() {
  return {0, kGiB, 2 * kGiB - 4000, 2 * kGiB + 7, 3 * kGiB - 100000, kSourceSize - 70000};
}
constexpr int64_t kPieceSize = 65536;

std::string Piece(size_t i) {
  std::mt19937 random(static_cast<unsigned>(i) + 99);
  std::string bytes(kPieceSize, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

void MakeSparseSource(const std::string& path) {
  WriteFile(path, "");
  std::filesystem::resize_file(path, kSourceSize);
  std::fstream out(path, std::ios::in | std::ios::out | std::ios::binary);
  const std::vector<int64_t> offsets = DataOffsets();
  for (size_t i = 0; i < offsets.size(); ++i) {
    const std::string bytes = Piece(i);
    const int64_t size = std::min<int64_t>(kPieceSize, kSourceSize - offsets[i]);
    out.seekp(offsets[i]).write(bytes.data(), size);
  }
  ASSERT_TRUE(out.flush());
}

std::string ReadAt(const std::string& path, int64_t offset, int64_t count) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes(static_cast<size_t>(count), '\0');
  in.seekg(offset).read(bytes.data(), count);
  EXPECT_EQ(in.gcount(), count);
  return bytes;
}

// The first `count` bytes of two files agree; read in pieces, never whole.
bool SamePrefix(const std::string& a, const std::string& b, int64_t count) {
  File fa = File::OpenRead(a);
  File fb = File::OpenRead(b);
  std::string pa(1 << 20, '\0'), pb(1 << 20, '\0');
  for (int64_t done = 0; done < count;) {
    const int64_t piece = std::min<int64_t>(count - done, 1 << 20);
    fa.ReadInto(pa.data(), piece);
    fb.ReadInto(pb.data(), piece);
    if (std::memcmp(pa.data(), pb.data(), static_cast<size_t>(piece)) != 0) return false;
    done += piece;
  }
  return true;
}

TEST(LargeFileTest, AFileOfThreeGiBRoundTripsInBatchModeInSmallMemory) {
  if (std::getenv("MARROWLOCK_LARGE_TESTS") == nullptr ||
      std::string(std::getenv("MARROWLOCK_LARGE_TESTS")) != "1") {
    GTEST_SKIP() << "writes about 6 GiB; run with MARROWLOCK_LARGE_TESTS=1";
  }
  TempDir dir;
  if (std::filesystem::space(dir.path()).available < static_cast<uintmax_t>(8 * kGiB)) {
    GTEST_SKIP() << "less than 8 GiB free in " << dir.path();
  }
  EnsureSystemFolder();
  WriteSettingsFile(dir.path(), "unused.mlk");
  ASSERT_EQ(RunMeasured(dir.path(), MARROWLOCK_KEYGEN_BINARY, {"-n", "16", "k.mlk"}).status, 0);
  MakeSparseSource(dir / "big.bin");
  const int64_t encrypted_size = (kSourceSize + 15) / 16 * 16;

  const auto start = std::chrono::steady_clock::now();
  ProgramResult enc = RunMeasured(dir.path(), MARROWLOCK_BINARY, {"big.bin", "-i", "-kk.mlk"});
  const double enc_seconds = SecondsSince(start);
  ASSERT_EQ(enc.status, 0) << enc.err;
  EXPECT_EQ(RegularFileSize(dir / "big.enc").value_or(-1), encrypted_size);
  EXPECT_LT(enc.peak_memory_bytes, kMemoryLimit);
  // The data pieces are encrypted where they lie, not copied through.
  for (int64_t offset : DataOffsets()) {
    const int64_t at = offset / 16 * 16;
    EXPECT_NE(ReadAt(dir / "big.enc", at, 4096), ReadAt(dir / "big.bin", at, 4096)) << offset;
  }

  std::filesystem::rename(dir / "big.bin", dir / "original.bin");
  const auto middle = std::chrono::steady_clock::now();
  ProgramResult dec = RunMeasured(dir.path(), MARROWLOCK_BINARY, {"big.enc", "-i", "-kk.mlk"});
  const double dec_seconds = SecondsSince(middle);
  ASSERT_EQ(dec.status, 0) << dec.err;
  EXPECT_LT(dec.peak_memory_bytes, kMemoryLimit);
  EXPECT_EQ(RegularFileSize(dir / "big.dec").value_or(-1), encrypted_size);
  EXPECT_TRUE(SamePrefix(dir / "big.dec", dir / "original.bin", kSourceSize));
  const std::string padding = ReadAt(dir / "big.dec", kSourceSize, encrypted_size - kSourceSize);
  EXPECT_TRUE(padding == std::string(padding.size(), ' ') ||
              padding == " " + std::string(padding.size() - 1, '\0'));

  std::printf(
      "3 GiB round trip: encryption %.1f s, %.1f MiB peak; decryption %.1f s, %.1f MiB peak\n",
      enc_seconds, static_cast<double>(enc.peak_memory_bytes) / (1 << 20), dec_seconds,
      static_cast<double>(dec.peak_memory_bytes) / (1 << 20));
}

}  // namespace
}  // namespace marrowlock
