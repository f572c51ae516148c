// SPDX-License-Identifier: MIT
// What the file layer does alike on every system; the system calls are in
// file_system_posix.cpp and file_system_windows.cpp.
#include "platform/file_system.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/file_identity.h"

namespace marrowlock {
namespace {

std::string Reason(int error_number) { return std::strerror(error_number); }

// What is left of the write-failure hook's allowance, or -1 for no limit.
int64_t BudgetFromEnvironment() {
  const char* text = std::getenv("MARROWLOCK_FAIL_WRITES_AFTER");
  if (text == nullptr || *text == '\0') return -1;
  char* end = nullptr;
  long long bytes = std::strtoll(text, &end, 10);
  return (*end == '\0' && bytes >= 0) ? bytes : -1;
}

std::atomic<int64_t>& WriteBudget() {
  static std::atomic<int64_t> budget{BudgetFromEnvironment()};
  return budget;
}

// How many of `wanted` bytes the hook lets a write put down.
size_t WriteAllowance(size_t wanted) {
  std::atomic<int64_t>& budget = WriteBudget();
  int64_t left = budget.load();
  while (left >= 0) {
    int64_t give = std::min(left, static_cast<int64_t>(wanted));
    if (budget.compare_exchange_weak(left, left - give)) return static_cast<size_t>(give);
  }
  return wanted;
}

}  // namespace

void FailWritesAfter(std::optional<int64_t> bytes) { WriteBudget() = bytes ? *bytes : -1; }

FileError::FileError(std::string_view doing, std::string_view path, int error_number)
    : FileError(doing, path, Reason(error_number)) {
  error_number_ = error_number;
}

FileError::FileError(std::string_view doing, std::string_view path, std::string_view reason)
    : std::runtime_error("Cannot " + std::string(doing) + " " + std::string(path) + ": " +
                         std::string(reason) + ".") {}

std::string File::Read(int64_t count) {
  std::string bytes(static_cast<size_t>(count), '\0');
  ReadInto(bytes.data(), count);
  return bytes;
}

void File::ReadInto(char* buffer, int64_t count) {
  int64_t done = 0;
  while (done < count) {
    int64_t got = ReadSome(buffer + done, count - done);
    if (got == 0) throw FileError("read", path_, "The file ended early");
    done += got;
  }
}

void File::Write(std::string_view bytes) {
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    const size_t allowed = WriteAllowance(left);
    if (allowed == 0) throw FileError("write", path_, ENOSPC);
    const int64_t put = WriteSome(p, static_cast<int64_t>(allowed));
    p += put;
    left -= static_cast<size_t>(put);
  }
}

bool IsNonEmptyRegularFile(const std::string& path) {
  auto size = RegularFileSize(path);
  return size && *size > 0;
}

bool SameFile(const std::string& a, const std::string& b) {
  const std::optional<FileIdentity> identity = IdentityOf(a);
  return identity && identity == IdentityOf(b);
}

std::string ReadWholeFile(const std::string& path) {
  File in = File::OpenRead(path);
  std::string bytes = in.Read(in.Size());
  in.Close();
  return bytes;
}

}  // namespace marrowlock
