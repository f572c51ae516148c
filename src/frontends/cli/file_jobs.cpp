// SPDX-License-Identifier: MIT
#include "frontends/cli/file_jobs.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "cipher/pipeline.h"
#include "frontends/cli/tool_message.h"
#include "platform/output_file.h"
#include "platform/processors.h"
#include "platform/standard_streams.h"

namespace marrowlock {
namespace {

// How often the progress line is redrawn.
constexpr auto kTickInterval = std::chrono::milliseconds(200);

// What every job of a call shares.
struct Call {
  const std::vector<FileJob>& jobs;
  Direction direction;
  bool force;
  BlockMultiplier multiplier;
  ProgressLine& progress;
  std::atomic<size_t> next_job{0};
  std::atomic<int> failures{0};
};

// Why a job failed, when it is not a file operation's failure.
class JobFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The stream's end, checked once it has been read: what a decryption cannot accept.
void CheckOutcome(const Call& call, const RunOutcome& outcome) {
  if (call.direction != Direction::kDecrypt) return;
  if (outcome.bytes_read == 0) throw JobFailure("empty: there is nothing to decrypt");
}

// A decryption whose input ends in part of a block keeps its whole blocks, as
// marrowlock does, but the call must not count as a success.
void CheckDamage(const Call& call, const RunOutcome& outcome) {
  if (outcome.left_over == 0) return;
  throw JobFailure("damaged: the " + std::to_string(outcome.left_over) +
                   " bytes after the last whole block of " +
                   std::to_string(call.multiplier.BlockLength()) +
                   " bytes were left out (the blocks before them were decrypted)");
}

// Runs `in` through the pipeline into `out`.
RunOutcome Transform(Call& call, Pipeline& pipeline, File& in, File& out) {
  FileSource source(in);
  FileSink sink(out);
  PipelineJob run;
  run.direction = call.direction;
  run.multiplier = &call.multiplier;
  run.source_kind = SourceKind::kFile;
  run.in = &source;
  run.out = &sink;
  run.progress = &call.progress.done();
  return pipeline.Run(run);
}

void RunJob(Call& call, const FileJob& job, Pipeline& pipeline) {
  const bool to_standard_output = job.output == "-";
  // Checked before any work, and again when the output takes its name: an output
  // that appears meanwhile is still never replaced.
  if (!to_standard_output && !call.force && PathExists(job.output)) {
    throw JobFailure(job.output + " exists already; use -f to replace it");
  }
  File in = job.input == "-" ? StandardInput() : OpenStream(job.input);
  if (to_standard_output) {
    File out = StandardOutput();
    RunOutcome outcome = Transform(call, pipeline, in, out);
    out.Close();
    CheckOutcome(call, outcome);
    CheckDamage(call, outcome);
    return;
  }
  const Access access = call.direction == Direction::kDecrypt ? Access::kPrivate : Access::kShared;
  OutputFile out(job.output, access);
  RunOutcome outcome = Transform(call, pipeline, in, out.file());
  CheckOutcome(call, outcome);
  out.Publish(call.force ? OutputFile::Existing::kReplace : OutputFile::Existing::kKeep);
  CheckDamage(call, outcome);
}

// One thread's share of the call: jobs taken one after the other until none is left.
void Work(Call& call, int threads_per_job) {
  Pipeline pipeline(threads_per_job);
  for (;;) {
    const size_t index = call.next_job.fetch_add(1);
    if (index >= call.jobs.size()) return;
    const FileJob& job = call.jobs[index];
    try {
      RunJob(call, job, pipeline);
    } catch (const FileError& e) {
      ++call.failures;
      call.progress.Report(job.Label() + ": " + ToolMessage(e));
    } catch (const std::exception& e) {
      ++call.failures;
      call.progress.Report(job.Label() + ": " + e.what());
    }
  }
}

}  // namespace

int RunFileJobs(const std::vector<FileJob>& jobs, const KeyPair& key, Direction direction,
                bool force, int at_a_time, ProgressLine& progress) {
  const std::vector<uint8_t>& multiplier = direction == Direction::kEncrypt ? key.pair : key.pal;
  Call call{jobs, direction, force, BlockMultiplier(multiplier.data(), key.BlockLength()),
            progress};
  const int workers = std::max(1, std::min<int>(at_a_time, static_cast<int>(jobs.size())));
  const int threads_per_job = std::max(1, ProcessorCount() / workers);

  std::mutex mutex;
  std::condition_variable finished;
  int running = workers;
  std::vector<std::thread> threads;
  for (int i = 0; i < workers; ++i) {
    threads.emplace_back([&] {
      Work(call, threads_per_job);
      std::lock_guard<std::mutex> lock(mutex);
      --running;
      finished.notify_one();
    });
  }
  {
    std::unique_lock<std::mutex> lock(mutex);
    while (!finished.wait_for(lock, kTickInterval, [&] { return running == 0; })) {
      lock.unlock();
      progress.Tick();
      lock.lock();
    }
  }
  for (std::thread& thread : threads) thread.join();
  progress.Finish();
  return call.failures.load();
}

}  // namespace marrowlock
