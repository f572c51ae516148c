// SPDX-License-Identifier: MIT
#include "support/program_run.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string_view>

#include "support/temp_dir.h"

namespace marrowlock {
namespace {

double Now() {
  timespec t;
  ::clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Runs in the child between fork and exec: only async-signal-safe calls.
[[noreturn]] void StartChild(const ProgramRun& run, const char* const* argv,
                             const char* const* envp, int in, int out, int err) {
  if (run.user) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(*run.user) != 0 || ::setuid(*run.user) != 0) {
      ::_exit(126);
    }
  }
  if (::chdir(run.folder.c_str()) != 0) ::_exit(126);
  if (run.umask) ::umask(*run.umask);
  // The program must cope with a size limit by itself.
  ::signal(SIGXFSZ, SIG_DFL);
  if (run.file_size_limit) {
    rlimit limit{static_cast<rlim_t>(*run.file_size_limit),
                 static_cast<rlim_t>(*run.file_size_limit)};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(126);
  }
  ::dup2(in, 0);
  ::dup2(out, 1);
  ::dup2(err, 2);
  ::execve(argv[0], const_cast<char* const*>(argv), const_cast<char* const*>(envp));
  ::_exit(127);
}

bool HoldsNameStartingWith(const std::string& folder, const std::string& prefix) {
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    if (it->path().filename().string().starts_with(prefix)) return true;
  }
  return false;
}

// A copy of `program` that every user may run, in a 0755 folder of its own: the build
// folder may lie in a home folder that the other user cannot enter (/root is 0700), and
// exec would then fail with status 127. Made once per program, removed at exit by the
// process that made it (children forked by tests may exit too).
std::string ProgramForAnyUser(const std::string& program) {
  namespace fs = std::filesystem;
  struct Copies {
    pid_t owner = ::getpid();
    std::string folder;
    std::map<std::string, std::string> made;
    ~Copies() {
      std::error_code ec;
      if (!folder.empty() && ::getpid() == owner) fs::remove_all(folder, ec);
    }
  };
  static Copies copies;
  if (auto it = copies.made.find(program); it != copies.made.end()) return it->second;
  if (copies.folder.empty()) {
    std::string pattern = fs::temp_directory_path().string() + "/marrowlock-programs-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    copies.folder = pattern;
    fs::permissions(copies.folder, fs::perms(0755));
  }
  const std::string copy = copies.folder + "/" + std::to_string(copies.made.size()) + "-" +
                           fs::path(program).filename().string();
  fs::copy_file(program, copy);
  fs::permissions(copy, fs::perms(0755));
  copies.made[program] = copy;
  return copy;
}

// The test's environment with `changes` made: a program reads the first of two
// settings of one name, so a setting replaces the test's own rather than follow it.
std::vector<const char*> Environment(const std::vector<std::string>& changes) {
  auto name_of = [](std::string_view setting) { return setting.substr(0, setting.find('=')); };
  std::vector<const char*> envp;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string_view name = name_of(*e);
    bool changed = false;
    for (const std::string& change : changes) changed = changed || name_of(change) == name;
    if (!changed) envp.push_back(*e);
  }
  for (const std::string& change : changes) {
    if (change.find('=') != std::string::npos) envp.push_back(change.c_str());
  }
  envp.push_back(nullptr);
  return envp;
}

}  // namespace

ProgramResult RunToEnd(const ProgramRun& run) {
  // The captured streams live in a folder of their own, out of the program's way.
  static std::atomic<int> counter = 0;
  const std::string io = std::filesystem::temp_directory_path().string() + "/marrowlock-run-" +
                         std::to_string(::getpid()) + "-" + std::to_string(counter++);
  std::filesystem::create_directory(io);
  WriteFile(io + "/in", run.input);
  int in = ::open((io + "/in").c_str(), O_RDONLY | O_CLOEXEC);
  int out = ::open((io + "/out").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  int err = ::open((io + "/err").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (in < 0 || out < 0 || err < 0) throw std::runtime_error("cannot open the capture files");

  const std::string program = run.user ? ProgramForAnyUser(run.program) : run.program;
  std::vector<const char*> argv = {program.c_str()};
  for (const std::string& arg : run.args) argv.push_back(arg.c_str());
  argv.push_back(nullptr);
  std::vector<const char*> envp = Environment(run.environment);

  pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) StartChild(run, argv.data(), envp.data(), in, out, err);
  ::close(in);
  ::close(out);
  ::close(err);

  ProgramResult result;
  const double started = Now();
  const double deadline = started + run.timeout_seconds;
  bool signalled = false;
  int raw = 0;
  rusage usage{};
  for (;;) {
    pid_t done = ::wait4(child, &raw, WNOHANG, &usage);
    if (done == child) break;
    if (run.signal_after && !signalled && Now() >= started + run.signal_after->second) {
      ::kill(child, run.signal_after->first);
      signalled = true;
    }
    if (run.signal_when_named && !signalled &&
        HoldsNameStartingWith(run.folder, run.signal_when_named->second)) {
      ::kill(child, run.signal_when_named->first);
      signalled = true;
    }
    if (Now() > deadline) {
      result.hung = true;
      ::kill(child, SIGKILL);
      ::waitpid(child, &raw, 0);
      break;
    }
    ::usleep(2000);
  }
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  result.peak_memory_bytes = static_cast<int64_t>(usage.ru_maxrss) * 1024;
  result.out = ReadFile(io + "/out");
  result.err = ReadFile(io + "/err");
  std::error_code ec;
  std::filesystem::remove_all(io, ec);
  return result;
}

std::vector<Interruption> Interruptions() {
  std::vector<Interruption> interruptions;
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    interruptions.push_back({signal_number, ::strsignal(signal_number), 128 + signal_number});
  }
  return interruptions;
}

bool ChangeOwner(const std::string& path, uid_t user) {
  return ::chown(path.c_str(), user, static_cast<gid_t>(user)) == 0;
}

std::string WhyNoOtherUser() {
  if (::geteuid() != 0) return "the tests do not run as root, so they cannot act as another user";
  return "";
}

}  // namespace marrowlock
