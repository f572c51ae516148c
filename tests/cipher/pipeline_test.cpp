// SPDX-License-Identifier: MIT
#include "cipher/pipeline.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "support/temp_dir.h"
#include "support/test_key.h"

namespace marrowlock {
namespace {

class StringSink final : public ByteSink {
 public:
  void Write(std::string_view bytes) override { bytes_.append(bytes); }
  std::string bytes_;
};

// Records every step it is shown, and stops the run at step `stop_at` (from 1).
class RecordingPacing final : public Pacing {
 public:
  explicit RecordingPacing(int64_t step, int stop_at = 0) : step_(step), stop_at_(stop_at) {}
  int64_t StepBytes() const override { return step_; }
  bool AfterStep(const RunPosition& at, bool flush_point) override {
    steps.emplace_back(at.framed, flush_point);
    return static_cast<int>(steps.size()) != stop_at_;
  }
  std::vector<std::pair<int64_t, bool>> steps;  // framed bytes, flush point

 private:
  int64_t step_;
  int stop_at_;
};

class PipelineTest : public ::testing::Test {
 protected:
  // Runs `data` through a Pipeline of `threads`, from memory into memory.
  std::string Through(const std::string& data, int threads, Direction direction,
                      RunOutcome* outcome = nullptr, Pacing* pacing = nullptr,
                      SourceKind kind = SourceKind::kFile) {
    Pipeline pipeline(threads);
    EXPECT_EQ(pipeline.Threads(), threads);
    return Run(pipeline, data, direction, outcome, pacing, kind);
  }
  std::string Run(Pipeline& pipeline, const std::string& data, Direction direction,
                  RunOutcome* outcome = nullptr, Pacing* pacing = nullptr,
                  SourceKind kind = SourceKind::kFile) {
    MemorySource in(data);
    StringSink out;
    std::atomic<int64_t> progress{0};
    PipelineJob job;
    job.direction = direction;
    job.multiplier = &multiplier;
    job.source_kind = kind;
    job.in = &in;
    job.out = &out;
    job.progress = &progress;
    job.pacing = pacing;
    RunOutcome got = pipeline.Run(job);
    EXPECT_EQ(progress.load(), got.bytes_read);
    if (!got.abandoned) {
      EXPECT_EQ(got.bytes_read, static_cast<int64_t>(data.size()));
    }
    if (outcome) *outcome = got;
    return out.bytes_;
  }
  void UseKey(int n, unsigned seed) {
    key = MakeTestKey(n, seed);
    multiplier = BlockMultiplier(key.pair.data(), n);
  }

  TempDir dir;
  TestKey key = MakeTestKey(16, 9);
  BlockMultiplier multiplier{key.pair.data(), 16};
};

TEST_F(PipelineTest, AnyNumberOfThreadsWritesTheFramedBlocksInOrder) {
  // Past several buffers of a MiB, ending in a short block.
  const std::string data = PatternBytes((size_t{5} << 20) + 3, 4);
  const std::string expected = ReferenceTransform(ReferenceFraming(data, 16, true), key.pair);
  for (int threads : {1, 2, 3, 5}) {
    RunOutcome outcome;
    ASSERT_TRUE(Through(data, threads, Direction::kEncrypt, &outcome) == expected) << threads;
    EXPECT_EQ(outcome.left_over, 0);
    EXPECT_FALSE(outcome.abandoned);
  }
}

TEST_F(PipelineTest, GivesTheBytesOfOneThreadForEveryLengthAndThreadCount) {
  for (int n : {1, 16, 256}) {
    UseKey(n, 11);
    for (int threads : {1, 2, 3, 8}) {
      // Below a buffer, exactly whole buffers, and with a short last buffer.
      for (size_t bytes : {size_t{0}, size_t{4096}, size_t{1} << 21, (size_t{3} << 20) + 512}) {
        const size_t count = bytes / static_cast<size_t>(n);
        const std::string blocks = PatternBytes(count * static_cast<size_t>(n), 5);
        std::string expected = blocks;
        multiplier.Apply(reinterpret_cast<uint8_t*>(expected.data()), count);
        ASSERT_TRUE(Through(blocks, threads, Direction::kDecrypt) == expected)
            << "N = " << n << ", " << threads << " threads, " << bytes;
      }
    }
  }
}

TEST_F(PipelineTest, OnePipelineServesManyRunsOneAfterTheOther) {
  UseKey(256, 12);
  Pipeline pipeline(2);
  // A run's threads must be gone before the next run's blocks come.
  for (int run = 0; run < 20; ++run) {
    const std::string blocks = PatternBytes((size_t{1} << 20) + 256 * static_cast<size_t>(run),
                                            static_cast<unsigned>(run));
    ASSERT_TRUE(Run(pipeline, blocks, Direction::kDecrypt) == ReferenceTransform(blocks, key.pair))
        << "run " << run;
  }
}

TEST_F(PipelineTest, DecryptionCountsTheBytesAfterTheLastWholeBlock) {
  const std::string blocks = PatternBytes((size_t{2} << 20) + 32, 5);
  RunOutcome outcome;
  const std::string out = Through(blocks + "xyz", 2, Direction::kDecrypt, &outcome);
  EXPECT_TRUE(out == ReferenceTransform(blocks, key.pair));
  EXPECT_EQ(outcome.left_over, 3);
  EXPECT_EQ(Through("", 2, Direction::kDecrypt, &outcome), "");
  EXPECT_EQ(outcome.bytes_read, 0);
}

TEST_F(PipelineTest, AFailedWriteStopsEveryThreadAndIsReported) {
  const std::string data = PatternBytes(size_t{6} << 20, 6);
  WriteFile(dir / "in", data);
  File in = File::OpenRead(dir / "in");
  File out = File::Create(dir / "out");
  FileSource source(in);
  FileSink sink(out);
  PipelineJob job;
  job.multiplier = &multiplier;
  job.in = &source;
  job.out = &sink;
  Pipeline pipeline(3);
  FailWritesAfter((int64_t{5} << 20) / 2);
  EXPECT_THROW(pipeline.Run(job), FileError);
  FailWritesAfter(std::nullopt);
  out.Close();
  EXPECT_EQ(ReadFile(dir / "out").size(), size_t{5} << 19) << "written up to the failure, in order";
}

// The window's runs: a step of output at a time, each shown to the pacing before it
// is written, on the caller's thread however many threads the pipeline has.
TEST_F(PipelineTest, APacedRunStopsAtEveryStepAndWritesWhatThePacingLetThrough) {
  const std::string text = PatternBytes((size_t{1} << 20) + 3000, 7);  // past one buffer
  const std::string expected = ReferenceTransform(ReferenceFraming(text, 16, false), key.pair);
  RecordingPacing pacing(1024);
  RunOutcome outcome;
  EXPECT_TRUE(Through(text, 4, Direction::kEncrypt, &outcome, &pacing, SourceKind::kText) ==
              expected);
  ASSERT_EQ(pacing.steps.size(), 1027u);  // 1024 steps of the first MiB, then 2 and a short one
  for (size_t i = 0; i + 1 < pacing.steps.size(); ++i) {
    ASSERT_EQ(pacing.steps[i], std::make_pair(static_cast<int64_t>(1024 * (i + 1)), true)) << i;
  }
  // The last step holds the padding, which counts for no source byte.
  EXPECT_EQ(pacing.steps.back(), std::make_pair(static_cast<int64_t>(text.size()), false));

  RecordingPacing stopping(1024, 5);
  EXPECT_TRUE(Through(text, 1, Direction::kEncrypt, &outcome, &stopping, SourceKind::kText) ==
              expected.substr(0, 4 * 1024));
  EXPECT_TRUE(outcome.abandoned);
  EXPECT_EQ(stopping.steps.size(), 5u);
}

TEST_F(PipelineTest, AFileOfAKnownLengthIsReadAsLongAsItWasAndNoShorter) {
  WriteFile(dir / "f", "0123456789");
  File file = File::OpenRead(dir / "f");
  FileSource grown(file, 4);
  char bytes[16];
  EXPECT_EQ(grown.ReadSome(bytes, 16), 4);
  EXPECT_EQ(grown.ReadSome(bytes, 16), 0);
  FileSource shrunk(file, 100);
  EXPECT_EQ(shrunk.ReadSome(bytes, 16), 6);
  try {
    shrunk.ReadSome(bytes, 16);
    ADD_FAILURE() << "a file shorter than its length must be an error";
  } catch (const FileError& e) {
    EXPECT_NE(std::string(e.what()).find("The file ended early"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace marrowlock
