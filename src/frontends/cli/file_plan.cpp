// SPDX-License-Identifier: MIT
#include "frontends/cli/file_plan.h"

#include <filesystem>
#include <map>
#include <optional>

#include "commands/encrypted_names.h"
#include "platform/file_identity.h"
#include "platform/file_system.h"

namespace marrowlock {
namespace {

// A path made absolute and tidied ("./a/../b.enc" -> "<folder>/b.enc"), so that two
// spellings of one name compare equal before the file exists.
std::string Normal(const std::string& path, const std::string& working_directory) {
  std::filesystem::path p(path);
  if (p.is_relative()) p = std::filesystem::path(working_directory) / p;
  return p.lexically_normal().string();
}

// Finds the names of a call that lead to one file: by their tidied spelling, and,
// for files that exist, by the file itself (links, and folders reached two ways).
class NameIndex {
 public:
  explicit NameIndex(std::string working_directory) : here_(std::move(working_directory)) {}

  void Add(const std::string& path, size_t job) {
    names_.emplace(Normal(path, here_), job);
    if (std::optional<FileIdentity> id = IdentityOf(path)) {
      files_.emplace(std::make_pair(id->device, id->inode), job);
    }
  }
  // The job that added a name of the same file as `path`.
  std::optional<size_t> Find(const std::string& path) const {
    auto name = names_.find(Normal(path, here_));
    if (name != names_.end()) return name->second;
    if (std::optional<FileIdentity> id = IdentityOf(path)) {
      auto file = files_.find(std::make_pair(id->device, id->inode));
      if (file != files_.end()) return file->second;
    }
    return std::nullopt;
  }

 private:
  std::string here_;
  std::map<std::string, size_t> names_;
  std::map<std::pair<uint64_t, uint64_t>, size_t> files_;
};

}  // namespace

std::vector<FileJob> PlanJobs(const CliOptions& options, Direction direction) {
  std::vector<std::string> inputs = options.files;
  if (inputs.empty()) inputs.push_back("-");
  std::vector<FileJob> jobs;
  for (const std::string& input : inputs) {
    FileJob job;
    job.input = input;
    if (options.output) {
      job.output = *options.output;
    } else if (input == "-") {
      job.output = "-";
    } else {
      job.output =
          direction == Direction::kEncrypt ? EncryptedNameFor(input) : BatchDecryptedName(input);
    }
    jobs.push_back(job);
  }
  return jobs;
}

std::vector<std::string> RefusePlan(const std::vector<FileJob>& jobs) {
  const std::string here = WorkingDirectory();
  NameIndex inputs(here);
  for (size_t i = 0; i < jobs.size(); ++i) {
    if (jobs[i].input != "-") inputs.Add(jobs[i].input, i);
  }
  NameIndex outputs(here);
  std::vector<std::string> refusals;
  for (size_t i = 0; i < jobs.size(); ++i) {
    const FileJob& job = jobs[i];
    if (job.output == "-") continue;
    if (std::optional<size_t> input = inputs.Find(job.output)) {
      refusals.push_back(*input == i
                             ? job.input + ": its output " + job.output + " would replace it"
                             : job.input + ": its output " + job.output +
                                   " would replace the input " + jobs[*input].input);
    }
    if (std::optional<size_t> earlier = outputs.Find(job.output)) {
      refusals.push_back(jobs[*earlier].input + " and " + job.input + " would both be written to " +
                         job.output);
    } else {
      outputs.Add(job.output, i);
    }
  }
  return refusals;
}

}  // namespace marrowlock
