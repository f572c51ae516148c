// SPDX-License-Identifier: MIT
#include "frontends/cli/file_plan.h"

#include <map>
#include <optional>

#include "commands/encrypted_names.h"
#include "platform/file_identity.h"
#include "platform/file_system.h"
#include "platform/paths.h"

namespace marrowlock {
namespace {

// Finds the names of a call that lead to one file: by their tidied spelling; by the
// folder entry they name, the folder known by its identity (one folder reached
// through a link, or two ways); and, for files that exist, by the file itself
// (links, hard links). Where the file system ignores the letter case of names
// (Windows), both spellings are compared as it compares them: "LEDGER.ENC" and
// "ledger.enc" are one file there, though neither exists yet.
class NameIndex {
 public:
  explicit NameIndex(std::string working_directory) : here_(std::move(working_directory)) {}

  void Add(const std::string& path, size_t job) {
    names_.emplace(NameAsCompared(AbsolutePath(path, here_)), job);
    if (std::optional<std::string> entry = Entry(path)) entries_.emplace(*entry, job);
    if (std::optional<FileIdentity> id = IdentityOf(path)) files_.emplace(*id, job);
  }
  // The job that added a name of the same file as `path`.
  std::optional<size_t> Find(const std::string& path) const {
    if (auto name = names_.find(NameAsCompared(AbsolutePath(path, here_))); name != names_.end())
      return name->second;
    if (std::optional<std::string> entry = Entry(path)) {
      if (auto found = entries_.find(*entry); found != entries_.end()) return found->second;
    }
    if (std::optional<FileIdentity> id = IdentityOf(path)) {
      if (auto file = files_.find(*id); file != files_.end()) return file->second;
    }
    return std::nullopt;
  }

 private:
  // The folder's identity and the file name: what a new file of that name replaces.
  static std::optional<std::string> Entry(const std::string& path) {
    const std::string folder = FolderPart(path);
    std::optional<FileIdentity> id = IdentityOf(folder.empty() ? "." : folder);
    if (!id) return std::nullopt;
    return std::to_string(id->device) + ":" + std::to_string(id->inode) + "/" +
           NameAsCompared(FileNamePart(path));
  }

  std::string here_;
  std::map<std::string, size_t> names_;
  std::map<std::string, size_t> entries_;
  std::map<FileIdentity, size_t> files_;
};

constexpr int kStandardInput = 0;
constexpr int kStandardOutput = 1;

constexpr char kKeyInUse[] = ": it is the key file in use";

// Standard output redirected into a file that the call reads (">>" onto an input or
// the key) would append the call's own result to what it reads or needs, and into one
// that the call replaces, to a file on its way out. Only a regular file can be such a
// file; pipes, terminals and devices are never one.
void RefuseStandardOutput(const std::vector<FileJob>& jobs, const std::optional<FileIdentity>& key,
                          std::vector<std::string>& refusals) {
  bool writes = false;
  for (const FileJob& job : jobs) writes = writes || job.output == "-";
  if (!writes) return;
  const std::optional<FileIdentity> out = RegularFileIdentityOn(kStandardOutput);
  if (!out) return;
  for (const FileJob& job : jobs) {
    if (job.output == "-" && out == key) {
      refusals.push_back(job.Label() + ": cannot write standard output" + kKeyInUse);
    }
  }
  for (const FileJob& job : jobs) {
    const std::optional<FileIdentity> in =
        job.input == "-" ? RegularFileIdentityOn(kStandardInput) : IdentityOf(job.input);
    if (in && in == out) refusals.push_back(job.Label() + ": input file is output file");
    // A file that another job replaces: what goes to standard output would go to
    // the replaced file, and be lost with it.
    if (job.output != "-" && IdentityOf(job.output) == out) {
      refusals.push_back(job.Label() + ": its output " + job.output + " is standard output");
    }
  }
}

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

std::vector<std::string> RefusePlan(const std::vector<FileJob>& jobs, const std::string& key) {
  const std::string here = WorkingDirectory();
  NameIndex inputs(here);
  for (size_t i = 0; i < jobs.size(); ++i) {
    if (jobs[i].input != "-") inputs.Add(jobs[i].input, i);
  }
  const std::optional<FileIdentity> key_file = IdentityOf(key);
  std::vector<std::string> refusals;
  RefuseStandardOutput(jobs, key_file, refusals);
  NameIndex outputs(here);
  for (size_t i = 0; i < jobs.size(); ++i) {
    const FileJob& job = jobs[i];
    if (job.output == "-") continue;
    // Whatever -f says, and whichever name or link leads to it.
    if (key_file && IdentityOf(job.output) == key_file) {
      refusals.push_back(job.Label() + ": cannot write " + job.output + kKeyInUse);
      continue;
    }
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
