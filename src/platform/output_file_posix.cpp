// SPDX-License-Identifier: MIT
#include "platform/output_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <random>
#include <vector>

#include "platform/node_output.h"
#include "platform/paths.h"
#include "platform/temporary_names.h"

namespace marrowlock {
namespace {

constexpr char kHiddenPrefix[] = ".mlk-";
// Tries at fresh hidden names before giving up: only a folder crowded with our own
// leftovers, or someone creating names to block us, makes a name taken.
constexpr int kNameTries = 100;

bool AvoidFromEnvironment() {
  const char* text = std::getenv("MARROWLOCK_NO_TMPFILE");
  return text != nullptr && *text != '\0';
}

std::atomic<bool>& AvoidingUnnamed() {
  static std::atomic<bool> avoid{AvoidFromEnvironment()};
  return avoid;
}

// Six characters that make a hidden name unique in its folder.
std::string RandomSuffix() {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  // One generator per thread: several threads may make output files at once.
  thread_local std::mt19937_64 random{std::random_device{}()};
  std::string suffix;
  for (int i = 0; i < 6; ++i) suffix += kLetters[random() % (sizeof(kLetters) - 1)];
  return suffix;
}

std::string ProcPath(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

// True where an open file can be given a name by linking /proc/self/fd/N: Linux with
// /proc mounted. Elsewhere (macOS, the BSDs, and a build with
// MARROWLOCK_LINUX_FEATURES off, which takes their way) files are made under hidden
// names, and a held file is copied.
bool OpenFilesCanBeLinked() {
#if MARROWLOCK_LINUX_FEATURES
  return ::access("/proc/self/fd", F_OK) == 0;
#else
  return false;
#endif
}

// Links the open file `fd` under a fresh hidden name in `folder` and registers that
// name; returns the name, or nothing (errno set) when linking failed.
std::optional<std::string> LinkUnderHiddenName(int fd, const std::string& folder, int* slot) {
  CleanupSignalsBlocked blocked;
  for (int i = 0; i < kNameTries; ++i) {
    std::string name = folder + kHiddenPrefix + RandomSuffix();
    if (::linkat(AT_FDCWD, ProcPath(fd).c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      *slot = RegisterTemporaryName(name);
      return name;
    }
    if (errno != EEXIST) return std::nullopt;
  }
  errno = EEXIST;
  return std::nullopt;
}

bool SameNode(const std::string& name, const File& file) {
  struct stat by_name, open;
  return ::lstat(name.c_str(), &by_name) == 0 && ::fstat(file.Handle(), &open) == 0 &&
         by_name.st_dev == open.st_dev && by_name.st_ino == open.st_ino;
}

// Takes `name` away when it still is `file`'s: what someone else put there stays.
void RemoveIfStill(const std::string& name, const File& file) {
  if (SameNode(name, file)) ::unlink(name.c_str());
}

std::function<void(const std::string&, const FileError&)>& UnsyncedFolderReport() {
  static std::function<void(const std::string&, const FileError&)> report;
  return report;
}

// Syncs the folder of `target`, which has just been given its name. The output is
// complete by now, so a folder that cannot be opened or synced is reported, not failed.
void SyncFolderOfNamed(const std::string& folder, const std::string& target) {
  try {
    SyncFolder(folder);
  } catch (const FileError& e) {
    if (const auto& report = UnsyncedFolderReport()) report(target, e);
  }
}

}  // namespace

void ReportUnsyncedFolders(
    std::function<void(const std::string& target, const FileError& error)> report) {
  UnsyncedFolderReport() = std::move(report);
}

void AvoidUnnamedTemporaries(bool avoid) { AvoidingUnnamed() = avoid; }

OutputFile::OutputFile(const std::string& target, Access access)
    : target_(target), folder_(FolderPart(target)) {
  if (std::optional<File> node = OpenNodeOutput(target)) {
    file_ = std::move(*node);
    node_ = true;
    return;
  }
  const std::string folder = folder_.empty() ? "." : folder_;
  // Both ways of creating apply the umask to `mode`, so a shared file gets exactly
  // what the user's umask allows.
  const mode_t mode = access == Access::kPrivate ? 0600 : 0666;
  int fd = -1;
#if MARROWLOCK_LINUX_FEATURES
  if (!AvoidingUnnamed()) {
    fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
    // A file without a name needs /proc to be given one later.
    if (fd >= 0 && ::access(ProcPath(fd).c_str(), F_OK) != 0) {
      ::close(fd);
      fd = -1;
    }
  }
#endif
  if (fd < 0) {
    CleanupSignalsBlocked blocked;
    for (int i = 0; i < kNameTries && fd < 0; ++i) {
      std::string name = folder_ + kHiddenPrefix + RandomSuffix();
      fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
      if (fd < 0 && errno != EEXIST) break;
      if (fd >= 0) {
        hidden_name_ = name;
        hidden_slot_ = RegisterTemporaryName(name);
      }
    }
    if (fd < 0) throw FileError("create", target_, errno);
  }
  file_ = File::Adopt(fd, target_);
  // Whatever a default ACL of the folder would add, a private file is the owner's only.
  if (access == Access::kPrivate && ::fchmod(fd, 0600) != 0) {
    int e = errno;
    RemoveHidden();
    throw FileError("create", target_, e);
  }
}

OutputFile::~OutputFile() {
  if (!published_) RemoveHidden();
}

void OutputFile::RemoveHidden() {
  if (hidden_name_.empty()) return;
  CleanupSignalsBlocked blocked;
  ::unlink(hidden_name_.c_str());
  ForgetTemporaryName(hidden_slot_);
  hidden_slot_ = -1;
  hidden_name_.clear();
}

void OutputFile::LinkInto(const std::string& name) {
  if (::linkat(AT_FDCWD, ProcPath(file_.Handle()).c_str(), AT_FDCWD, name.c_str(),
               AT_SYMLINK_FOLLOW) != 0) {
    throw FileError("create", target_, errno);
  }
}

void OutputFile::Publish(Existing existing) {
  if (node_) {
    file_.Close();
    published_ = true;
    return;
  }
  file_.Sync();
  if (hidden_name_.empty()) {
    if (existing == Existing::kKeep) {
      // link never replaces: an existing file of the name makes it fail.
      LinkInto(target_);
      file_.Close();
      published_ = true;
      SyncFolderOfNamed(folder_, target_);
      return;
    }
    // A name cannot replace another in one step: link under a hidden name first.
    std::optional<std::string> name = LinkUnderHiddenName(file_.Handle(), folder_, &hidden_slot_);
    if (!name) throw FileError("create", target_, errno);
    hidden_name_ = *name;
  }
  file_.Close();
  {
    CleanupSignalsBlocked blocked;
    if (existing == Existing::kKeep) {
      try {
        RenameNoReplace(hidden_name_, target_);
      } catch (const FileError& e) {
        throw FileError("create", target_, e.error_number());
      }
    } else if (::rename(hidden_name_.c_str(), target_.c_str()) != 0) {
      throw FileError("write", target_, errno);
    }
    ForgetTemporaryName(hidden_slot_);
    hidden_slot_ = -1;
    published_ = true;
  }
  SyncFolderOfNamed(folder_, target_);
}

void PublishOpenFile(File& file, const std::string& working_name, const std::string& target,
                     Access access) {
  const auto fail = [&](int error_number) {
    return FileError("rename " + working_name + " to", target, error_number);
  };
  if (std::optional<File> node = OpenNodeOutput(target)) {
    CopyAll(file, *node);
    node->Close();
    RemoveIfStill(working_name, file);
    return;
  }
  file.Sync();
  const std::string folder = FolderPart(target);
  if (!OpenFilesCanBeLinked()) {
    // Without /proc the file can be reached by its name only.
    if (!SameNode(working_name, file)) {
      throw FileError("rename " + working_name + " to", target,
                      "It was replaced by another file while it was written");
    }
    if (::rename(working_name.c_str(), target.c_str()) != 0) throw fail(errno);
    SyncFolderOfNamed(folder, target);
    return;
  }
  int slot = -1;
  std::optional<std::string> hidden = LinkUnderHiddenName(file.Handle(), folder, &slot);
  if (!hidden) {
    if (errno != EXDEV) throw fail(errno);
    // Another file system: a copy beside the target takes its name.
    ReplaceFile(target, access, [&](File& out) { CopyAll(file, out); });
    RemoveIfStill(working_name, file);
    return;
  }
  {
    CleanupSignalsBlocked blocked;
    if (::rename(hidden->c_str(), target.c_str()) != 0) {
      int e = errno;
      ::unlink(hidden->c_str());
      ForgetTemporaryName(slot);
      throw fail(e);
    }
    ForgetTemporaryName(slot);
  }
  SyncFolderOfNamed(folder, target);
  RemoveIfStill(working_name, file);
}

bool PublishHeldFile(File& file, const std::string& target, Access access,
                     const std::function<void(int64_t copied, int64_t total)>& copying) {
  if (std::optional<File> node = OpenNodeOutput(target)) {
    CopyAll(file, *node, copying);
    node->Close();
    return false;
  }
  if (SameNode(target, file)) {
    // The name leads to this very file already; a rename between two links of one
    // file would do nothing and leave the hidden link behind.
    file.Sync();
    return true;
  }
  const auto copy = [&] {
    OutputFile out(target, access);
    CopyAll(file, out.file(), copying);
    out.Publish();
    return false;
  };
  // Without /proc an open file cannot be linked.
  if (!OpenFilesCanBeLinked()) return copy();
  file.Sync();
  const std::string folder = FolderPart(target);
  int slot = -1;
  std::optional<std::string> hidden =
      LinkUnderHiddenName(static_cast<int>(file.Handle()), folder, &slot);
  if (!hidden) {
    // Another file system, or a file that lost its last name after it was made
    // with one, and cannot have a name again.
    if (errno == EXDEV || errno == ENOENT) return copy();
    throw FileError("create", target, errno);
  }
  {
    CleanupSignalsBlocked blocked;
    if (::rename(hidden->c_str(), target.c_str()) != 0) {
      int e = errno;
      ::unlink(hidden->c_str());
      ForgetTemporaryName(slot);
      throw FileError("write", target, e);
    }
    ForgetTemporaryName(slot);
  }
  SyncFolderOfNamed(folder, target);
  return true;
}

}  // namespace marrowlock
