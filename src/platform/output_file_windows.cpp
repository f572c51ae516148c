// SPDX-License-Identifier: MIT
// Output files on Windows. A file cannot be made without a name here, so every output
// is written under a hidden name (".mlk-" and six random characters, with the hidden
// attribute) in the target's folder, created exclusively, and published by one
// write-through rename: MoveFileExW with MOVEFILE_WRITE_THROUGH, which returns only
// once the new name is on the disk, replacing the target (MOVEFILE_REPLACE_EXISTING)
// or failing when it exists.
#include "platform/output_file.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <random>
#include <vector>

#include "platform/node_output.h"
#include "platform/paths.h"
#include "platform/temporary_names.h"
#include "platform/windows_support.h"

namespace marrowlock {
namespace {

constexpr char kHiddenPrefix[] = ".mlk-";
// Tries at fresh hidden names before giving up: only a folder crowded with our own
// leftovers, or someone creating names to block us, makes a name taken.
constexpr int kNameTries = 100;

// Six characters that make a hidden name unique in its folder.
std::string RandomSuffix() {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  // One generator per thread: several threads may make output files at once.
  thread_local std::mt19937_64 random{std::random_device{}()};
  std::string suffix;
  for (int i = 0; i < 6; ++i) suffix += kLetters[random() % (sizeof(kLetters) - 1)];
  return suffix;
}

bool SameFileAs(const std::string& name, const File& file) {
  const std::optional<FileIdentity> named = IdentityOf(name);
  return named && named == HandleIdentity(AsHandle(file.Handle()));
}

}  // namespace

// Windows needs no folder sync: MOVEFILE_WRITE_THROUGH makes the new name durable,
// so there is never an unsynced folder to report.
void ReportUnsyncedFolders(std::function<void(const std::string&, const FileError&)> /*report*/) {}

// Every output has a name on Windows; the switch is kept for the tests.
void AvoidUnnamedTemporaries(bool /*avoid*/) {}

OutputFile::OutputFile(const std::string& target, Access access)
    : target_(target), folder_(FolderPart(target)) {
  if (std::optional<File> node = OpenNodeOutput(target)) {
    file_ = std::move(*node);
    node_ = true;
    return;
  }
  SECURITY_ATTRIBUTES* security = access == Access::kPrivate ? OwnerOnly() : nullptr;
  HANDLE handle = INVALID_HANDLE_VALUE;
  DWORD error = ERROR_FILE_EXISTS;
  CleanupSignalsBlocked blocked;
  for (int i = 0; i < kNameTries && handle == INVALID_HANDLE_VALUE; ++i) {
    std::string name = folder_ + kHiddenPrefix + RandomSuffix();
    handle =
        ::CreateFileW(SystemName(name).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, security, CREATE_NEW,
                      FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      error = ::GetLastError();
      if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
      continue;
    }
    hidden_name_ = name;
    hidden_slot_ = RegisterTemporaryName(name);
  }
  if (handle == INVALID_HANDLE_VALUE) throw SystemError("create", target_, error);
  file_ = File::Adopt(AsNative(handle), target_);
}

OutputFile::~OutputFile() {
  if (!published_) RemoveHidden();
}

void OutputFile::RemoveHidden() {
  if (hidden_name_.empty()) return;
  CleanupSignalsBlocked blocked;
  // Our own handle shares deletion: the name goes now, the file when it is closed.
  ::DeleteFileW(SystemName(hidden_name_).c_str());
  ForgetTemporaryName(hidden_slot_);
  hidden_slot_ = -1;
  hidden_name_.clear();
}

void OutputFile::LinkInto(const std::string& /*name*/) {}

void OutputFile::Publish(Existing existing) {
  if (node_) {
    file_.Close();
    published_ = true;
    return;
  }
  file_.Sync();
  // The published file is an ordinary one: it loses the hidden attribute first.
  FILE_BASIC_INFO basic{};
  basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  if (!::SetFileInformationByHandle(AsHandle(file_.Handle()), FileBasicInfo, &basic,
                                    sizeof(basic))) {
    throw SystemError("write", target_, ::GetLastError());
  }
  file_.Close();
  CleanupSignalsBlocked blocked;
  DWORD flags = MOVEFILE_WRITE_THROUGH;
  if (existing == Existing::kReplace) flags |= MOVEFILE_REPLACE_EXISTING;
  if (!::MoveFileExW(SystemName(hidden_name_).c_str(), SystemName(target_).c_str(), flags)) {
    const DWORD error = ::GetLastError();
    const char* doing = existing == Existing::kKeep ? "create" : "write";
    // Windows refuses a folder at the target as it refuses a file it may not write.
    if (error == ERROR_ACCESS_DENIED && IsDirectory(target_)) {
      throw FileError(doing, target_, EISDIR);
    }
    throw SystemError(doing, target_, error);
  }
  ForgetTemporaryName(hidden_slot_);
  hidden_slot_ = -1;
  published_ = true;
}

void PublishOpenFile(File& file, const std::string& working_name, const std::string& target,
                     Access access) {
  if (std::optional<File> node = OpenNodeOutput(target)) {
    CopyAll(file, *node);
    node->Close();
    if (SameFileAs(working_name, file)) ::DeleteFileW(SystemName(working_name).c_str());
    return;
  }
  file.Sync();
  // The name is checked against the open file just before the rename: a file swapped
  // in at the working name meanwhile is never published.
  if (!SameFileAs(working_name, file)) {
    throw FileError("rename " + working_name + " to", target,
                    "It was replaced by another file while it was written");
  }
  if (::MoveFileExW(SystemName(working_name).c_str(), SystemName(target).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return;
  }
  const DWORD error = ::GetLastError();
  if (error == ERROR_ACCESS_DENIED && IsDirectory(target)) {
    throw FileError("rename " + working_name + " to", target, EISDIR);
  }
  if (error != ERROR_NOT_SAME_DEVICE) {
    throw SystemError("rename " + working_name + " to", target, error);
  }
  // Another volume: a copy beside the target takes its name.
  ReplaceFile(target, access, [&](File& out) { CopyAll(file, out); });
  if (SameFileAs(working_name, file)) ::DeleteFileW(SystemName(working_name).c_str());
}

// A file open on a handle cannot be given another name here, so a held result is
// copied into an output file that takes the target's name once complete.
bool PublishHeldFile(File& file, const std::string& target, Access access,
                     const std::function<void(int64_t copied, int64_t total)>& copying) {
  if (SameFileAs(target, file)) {
    file.Sync();
    return true;
  }
  OutputFile out(target, access);
  CopyAll(file, out.file(), copying);
  out.Publish();
  return false;
}

}  // namespace marrowlock
