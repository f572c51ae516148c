// SPDX-License-Identifier: MIT
#include "platform/temporary_names.h"

#include <limits.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace marrowlock {
namespace {

constexpr int kSlots = 16;
constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};

enum SlotState : int { kFree, kTaken, kFilled };

struct Slot {
  std::atomic<int> state{kFree};
  char path[PATH_MAX];
};

Slot slots[kSlots];

void UnlinkRegisteredAndRaise(int signal_number) {
  const int saved_errno = errno;
  for (Slot& slot : slots) {
    if (slot.state.load(std::memory_order_acquire) == kFilled) ::unlink(slot.path);
  }
  errno = saved_errno;
  // SA_RESETHAND has put back the default action; the signal stays blocked until
  // this handler returns, and then ends the program with its usual status.
  ::raise(signal_number);
}

sigset_t CleanupSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal_number : kCleanupSignals) sigaddset(&set, signal_number);
  return set;
}

}  // namespace

// CleanupSignalsBlocked keeps the previous mask in 128 bytes of its own.
static_assert(sizeof(sigset_t) <= 128);

CleanupSignalsBlocked::CleanupSignalsBlocked() {
  sigset_t set = CleanupSet();
  ::pthread_sigmask(SIG_BLOCK, &set, reinterpret_cast<sigset_t*>(previous_));
}

CleanupSignalsBlocked::~CleanupSignalsBlocked() {
  ::pthread_sigmask(SIG_SETMASK, reinterpret_cast<const sigset_t*>(previous_), nullptr);
}

int RegisterTemporaryName(const std::string& path) {
  if (path.size() >= PATH_MAX) return -1;
  for (int i = 0; i < kSlots; ++i) {
    int expected = kFree;
    if (!slots[i].state.compare_exchange_strong(expected, kTaken)) continue;
    std::memcpy(slots[i].path, path.c_str(), path.size() + 1);
    slots[i].state.store(kFilled, std::memory_order_release);
    return i;
  }
  return -1;
}

void ForgetTemporaryName(int slot) {
  if (slot >= 0 && slot < kSlots) slots[slot].state.store(kFree, std::memory_order_release);
}

void RemoveTemporariesOnSignals() {
  for (int signal_number : kCleanupSignals) {
    struct sigaction current;
    if (::sigaction(signal_number, nullptr, &current) != 0) continue;
    if (current.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = UnlinkRegisteredAndRaise;
    action.sa_mask = CleanupSet();
    action.sa_flags = SA_RESETHAND;
    ::sigaction(signal_number, &action, nullptr);
  }
}

void IgnoreFileSizeSignal() { ::signal(SIGXFSZ, SIG_IGN); }

}  // namespace marrowlock
