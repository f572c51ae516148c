// SPDX-License-Identifier: MIT
#include "frontends/cli/cli.h"

#include <cstdio>

#include "frontends/cli/cli_key.h"
#include "frontends/cli/cli_options.h"
#include "frontends/cli/cli_usage.h"
#include "frontends/cli/file_jobs.h"
#include "frontends/cli/file_plan.h"
#include "frontends/cli/progress_line.h"
#include "frontends/cli/tool_message.h"
#include "platform/console.h"
#include "platform/file_system.h"
#include "platform/output_file.h"
#include "platform/processors.h"

namespace marrowlock {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// `key [KEY]`: the block length, and whether the key decrypts what it encrypts.
int RunKeyCommand(const CliOptions& options) {
  std::optional<std::string> named = options.key;
  if (!options.files.empty()) named = options.files.front();
  const std::string path = KeyFilePath(named);
  const KeyPair key = ReadCliKey(path);
  WriteText(stdout, path + ": block length " + std::to_string(key.BlockLength()) + " bytes\n" +
                        path + ": " + KeyCheckText(key) + "\n");
  return key.DecryptsWhatItEncrypts() ? kExitOk : kExitFailure;
}

// An output that has its name is complete: a folder that cannot be synced after it is
// a warning, and the file counts as done.
class UnsyncedFolderWarnings {
 public:
  explicit UnsyncedFolderWarnings(ProgressLine& progress) {
    ReportUnsyncedFolders([&progress](const std::string& target, const FileError& error) {
      progress.Report("warning: " + ToolMessage(error) + "; " + target +
                      " is complete, but may not survive a power cut");
    });
  }
  ~UnsyncedFolderWarnings() { ReportUnsyncedFolders(nullptr); }
  UnsyncedFolderWarnings(const UnsyncedFolderWarnings&) = delete;
  UnsyncedFolderWarnings& operator=(const UnsyncedFolderWarnings&) = delete;
};

// The bytes of every input, or -1 when one is a stream whose length is unknown.
int64_t TotalBytes(const std::vector<FileJob>& jobs) {
  int64_t total = 0;
  for (const FileJob& job : jobs) {
    std::optional<int64_t> size = job.input == "-" ? std::nullopt : RegularFileSize(job.input);
    if (!size) return -1;
    total += *size;
  }
  return total;
}

int RunFileCommand(const CliOptions& options, Direction direction) {
  const std::string key_path = KeyFilePath(options.key);
  const KeyPair key = LoadCheckedKey(key_path);
  const std::vector<FileJob> jobs = PlanJobs(options, direction);
  const std::vector<std::string> refusals = RefusePlan(jobs, key_path);
  for (const std::string& refusal : refusals) PrintToolMessage(refusal);
  if (!refusals.empty()) return kExitFailure;
  bool to_terminal = false;
  for (const FileJob& job : jobs)
    to_terminal = to_terminal || (job.output == "-" && IsTerminal(stdout));
  if (to_terminal && direction == Direction::kEncrypt && !options.force) {
    throw CliFailure(
        "will not write encrypted data to a terminal; redirect standard output, or use -f");
  }
  // A bar drawn between the lines of a result shown on the same terminal would garble both.
  ProgressLine progress(!options.quiet && IsTerminal(stderr) && !to_terminal, TotalBytes(jobs));
  const int at_a_time = options.jobs.value_or(ProcessorCount());
  UnsyncedFolderWarnings unsynced(progress);
  const int failures = RunFileJobs(jobs, key, direction, options.force, at_a_time, progress);
  return failures == 0 ? kExitOk : kExitFailure;
}

}  // namespace

int RunCli(const std::vector<std::string>& args) {
  const CliArguments parsed = ParseCliArguments(args);
  if (!parsed.options) {
    PrintToolMessage(parsed.error);
    std::fputs(CliUsageText().c_str(), stderr);
    std::fputs("Try 'marrowlock-cli --help' for more.\n", stderr);
    return kExitUsage;
  }
  const CliOptions& options = *parsed.options;
  try {
    switch (options.command) {
      case CliCommand::kHelp:
        std::fputs(CliHelpText().c_str(), stdout);
        return kExitOk;
      case CliCommand::kVersion:
        std::printf("%s\n", CliVersionText().c_str());
        return kExitOk;
      case CliCommand::kKey:
        return RunKeyCommand(options);
      case CliCommand::kEncrypt:
        return RunFileCommand(options, Direction::kEncrypt);
      case CliCommand::kDecrypt:
        return RunFileCommand(options, Direction::kDecrypt);
    }
  } catch (const CliFailure& e) {
    PrintToolMessage(e.what());
  } catch (const FileError& e) {
    PrintToolMessage(ToolMessage(e));
  } catch (const std::exception& e) {
    // Out of memory, or no thread to be had: said plainly rather than aborting.
    PrintToolMessage(e.what());
  }
  return kExitFailure;
}

}  // namespace marrowlock
