// SPDX-License-Identifier: MIT
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "window_fixture.h"

namespace marrowlock {
namespace {

// Lines of prose of about 70 bytes, `size` bytes in all (a whole number of the test
// key's two-byte blocks), with two accented words in every fifth line when `utf8`.
std::string Prose(size_t size, bool utf8) {
  const std::string plain = "The quick brown fox jumps over the lazy dog near the old mill. ";
  const std::string word = utf8 ? "Caf\xC3\xA9 na\xC3\xAFve " : "Cafe naive ";
  std::string text;
  text.reserve(size + 100);
  for (int line = 0; text.size() < size; ++line) {
    text += plain;
    if (line % 5 == 0) text += word;
    text += "\r\n";
  }
  text.resize(size);
  return text;
}

// Not a check: the time from choosing Decrypt to a decrypted text shown in the
// window (decryption, the ".dec" file and drawing), the median of five runs. Run with
//   MARROWLOCK_BENCHMARK=1 build/qt_tests --gtest_filter='TextDisplayBenchmark.*'
// (without a display, the window tests use Qt's offscreen platform).
class TextDisplayBenchmark : public WindowTest {
 protected:
  void SetUp() override {
    if (!std::getenv("MARROWLOCK_BENCHMARK")) GTEST_SKIP() << "MARROWLOCK_BENCHMARK not set";
  }

  void Measure(const char* what, const std::string& plain) {
    WriteFile(dir / "big.enc", EncryptWithTestKey(plain));
    OpenTestKey();
    window().show();
    QApplication::processEvents();
    std::vector<qint64> runs;
    for (int run = 0; run < 5; ++run) {
      QElapsedTimer timer;
      timer.start();
      platform.SetNextFileAnswer(dir / "big.enc");
      Trigger("menuFileDecrypt");
      window().repaint();
      QApplication::processEvents();
      runs.push_back(timer.elapsed());
      ASSERT_EQ(s.Form1.Text1.Text, plain);
    }
    std::sort(runs.begin(), runs.end());
    std::printf("%-34s %6.2f MB  median %5lld ms  (fastest %lld, slowest %lld)\n", what,
                static_cast<double>(plain.size()) / 1e6, static_cast<long long>(runs[2]),
                static_cast<long long>(runs.front()), static_cast<long long>(runs.back()));
  }
};

TEST_F(TextDisplayBenchmark, AsciiProse) {
  Measure("ASCII prose, 70-byte lines", Prose(10'000'000, false));
}

TEST_F(TextDisplayBenchmark, Utf8Prose) {
  Measure("UTF-8 prose, 70-byte lines", Prose(10'000'000, true));
}

}  // namespace
}  // namespace marrowlock
