// SPDX-License-Identifier: MIT
#include "platform/output_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <vector>

#include "platform/paths.h"

namespace marrowlock {
namespace {

constexpr char kHiddenPrefix[] = ".mlk-";

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

}  // namespace

OutputFile::OutputFile(const std::string& target, Access access)
    : target_(target), folder_(FolderPart(target)) {
  const std::string folder = folder_.empty() ? "." : folder_;
  const mode_t mode = access == Access::kPrivate ? 0600 : 0666;
  // A file without a name needs /proc to be given one later.
  int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
  if (fd >= 0 && ::access(ProcPath(fd).c_str(), F_OK) != 0) {
    ::close(fd);
    fd = -1;
  }
  if (fd < 0) {
    std::string pattern = folder_ + kHiddenPrefix + "XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) throw FileError("create", target_, errno);
    hidden_name_ = name.data();
  }
  // O_TMPFILE takes the umask away from `mode`, mkostemp always makes 0600.
  mode_t wanted = mode;
  if (access == Access::kShared) {
    mode_t mask = ::umask(0);
    ::umask(mask);
    wanted = mode & ~mask;
  }
  if (::fchmod(fd, wanted) != 0) {
    int e = errno;
    ::close(fd);
    if (!hidden_name_.empty()) ::unlink(hidden_name_.c_str());
    throw FileError("create", target_, e);
  }
  file_ = File::Adopt(fd, target_);
}

OutputFile::~OutputFile() {
  if (!published_ && !hidden_name_.empty()) ::unlink(hidden_name_.c_str());
}

void OutputFile::LinkInto(const std::string& name) {
  if (::linkat(AT_FDCWD, ProcPath(file_.Descriptor()).c_str(), AT_FDCWD, name.c_str(),
               AT_SYMLINK_FOLLOW) != 0) {
    throw FileError("create", target_, errno);
  }
}

void OutputFile::Publish(Existing existing) {
  file_.Sync();
  if (hidden_name_.empty()) {
    if (existing == Existing::kKeep) {
      LinkInto(target_);
    } else {
      // A name cannot replace another in one step: link under a hidden name first.
      for (;;) {
        std::string name = folder_ + kHiddenPrefix + RandomSuffix();
        try {
          LinkInto(name);
        } catch (const FileError& e) {
          if (e.error_number() == EEXIST) continue;
          throw;
        }
        hidden_name_ = name;
        break;
      }
    }
  }
  file_.Close();
  if (!hidden_name_.empty()) {
    if (existing == Existing::kKeep) {
      try {
        RenameNoReplace(hidden_name_, target_);
      } catch (const FileError& e) {
        throw FileError("create", target_, e.error_number());
      }
    } else if (::rename(hidden_name_.c_str(), target_.c_str()) != 0) {
      throw FileError("write", target_, errno);
    }
  }
  published_ = true;
  SyncFolder(folder_);
}

void ReplaceFile(const std::string& path, Access access, const std::function<void(File&)>& fill) {
  OutputFile out(path, access);
  fill(out.file());
  out.Publish();
}

void WriteFileReplacing(const std::string& path, std::string_view data, Access access) {
  ReplaceFile(path, access, [&](File& out) { out.Write(data); });
}

}  // namespace marrowlock
