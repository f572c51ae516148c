// SPDX-License-Identifier: MIT
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/file_system.h"
#include "support/program_run.h"
#include "window_fixture.h"

namespace marrowlock {
namespace {

// Not a check: a binary-mode decryption of 512 MiB (MARROWLOCK_BENCHMARK_MIB to
// change it; MARROWLOCK_BENCHMARK_BLOCK=16 for a key of 16-byte blocks in place of
// the two-byte one) chosen in the window, from Decrypt to the ".dec" file named, against
// the same decryption by the program in batch mode (its start included); the median
// of three runs each, interleaved. Run with
//   MARROWLOCK_BENCHMARK=1 build/qt_tests --gtest_filter='WindowDecryptBenchmark.*'
// (without a display, the window tests use Qt's offscreen platform).
class WindowDecryptBenchmark : public WindowTest {
 protected:
  void SetUp() override {
    if (!std::getenv("MARROWLOCK_BENCHMARK")) GTEST_SKIP() << "MARROWLOCK_BENCHMARK not set";
  }

  static int64_t Mebibytes() {
    const char* text = std::getenv("MARROWLOCK_BENCHMARK_MIB");
    return text != nullptr && std::atoll(text) > 0 ? std::atoll(text) : 512;
  }

  qint64 TimeWindowRun() {
    std::filesystem::remove(dir / "big.dec");
    QElapsedTimer timer;
    timer.start();
    platform.SetNextFileAnswer(dir / "big.enc");
    Trigger("menuFileDecrypt");
    QApplication::processEvents();
    const qint64 elapsed = timer.elapsed();
    EXPECT_EQ(RegularFileSize(dir / "big.dec"), RegularFileSize(dir / "big.enc")) << LastMessage();
    return elapsed;
  }

  // Batch mode: "marrowlock big.enc -i -ktest.mlk" in this folder.
  qint64 TimeBatchRun() {
    std::filesystem::remove(dir / "big.dec");
    QElapsedTimer timer;
    timer.start();
    ProgramRun run;
    run.program = MARROWLOCK_BINARY;
    run.args = {"big.enc", "-i", "-ktest.mlk"};
    run.folder = dir.path();
    run.timeout_seconds = 600;
    const ProgramResult result = RunToEnd(run);
    const qint64 elapsed = timer.elapsed();
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(RegularFileSize(dir / "big.dec"), RegularFileSize(dir / "big.enc"));
    return elapsed;
  }
};

qint64 Median(std::vector<qint64> runs) {
  std::sort(runs.begin(), runs.end());
  return runs[runs.size() / 2];
}

TEST_F(WindowDecryptBenchmark, WindowAgainstBatchMode) {
  const int64_t size = Mebibytes() << 20;
  {
    // Any bytes decrypt; a pattern keeps the file from being sparse.
    File big = File::Create(dir / "big.enc");
    std::string piece(1 << 20, '\0');
    for (size_t i = 0; i < piece.size(); ++i) piece[i] = static_cast<char>(i * 131 + 7);
    for (int64_t done = 0; done < size; done += static_cast<int64_t>(piece.size())) {
      big.Write(piece);
    }
    big.Close();
  }
  Trigger("menuOptionsBinaryMode");
  if (const char* n = std::getenv("MARROWLOCK_BENCHMARK_BLOCK")) {
    // A key of that block length from marrowlock-keygen in place of the two-byte one.
    std::filesystem::remove(dir / "test.mlk");
    ProgramRun keygen;
    keygen.program = MARROWLOCK_KEYGEN_BINARY;
    keygen.args = {"-n", n, "test.mlk"};
    keygen.folder = dir.path();
    ASSERT_EQ(RunToEnd(keygen).status, 0);
  }
  OpenTestKey();
  ASSERT_TRUE(s.BinaryMode);
  window().show();
  QApplication::processEvents();
  std::vector<qint64> window_runs, batch_runs;
  for (int run = 0; run < 3; ++run) {
    window_runs.push_back(TimeWindowRun());
    batch_runs.push_back(TimeBatchRun());
  }
  const qint64 in_window = Median(window_runs), in_batch = Median(batch_runs);
  std::printf(
      "binary decryption of %lld MiB, N = %s: window %lld ms, batch mode %lld ms, ratio %.2f\n",
      static_cast<long long>(Mebibytes()),
      std::getenv("MARROWLOCK_BENCHMARK_BLOCK") ? std::getenv("MARROWLOCK_BENCHMARK_BLOCK") : "2",
      static_cast<long long>(in_window), static_cast<long long>(in_batch),
      static_cast<double>(in_window) / static_cast<double>(in_batch));
}

}  // namespace
}  // namespace marrowlock
