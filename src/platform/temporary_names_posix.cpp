// SPDX-License-Identifier: MIT
#include "platform/temporary_names.h"

#include <limits.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace marrowlock {
namespace {

// Enough for marrowlock-cli working on one file per processor on a large machine.
constexpr int kSlots = 256;
constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};

enum SlotState : int { kFree, kTaken, kFilled };

struct Slot {
  std::atomic<int> state{kFree};
  char path[PATH_MAX];
};

Slot slots[kSlots];

// Threads between making a hidden name and registering it, or between renaming it
// away and forgetting it. A signal that arrives meanwhile, in whichever thread, is
// kept in `ending` and acted on by the last of them to leave, so that the table is
// never read while a name and its entry disagree.
std::atomic<int> changing{0};
std::atomic<int> ending{0};

sigset_t CleanupSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal_number : kCleanupSignals) sigaddset(&set, signal_number);
  return set;
}

// Unlinks every registered name and ends the program as the signal would have:
// its default action restored, and the signal let through to this thread.
// Async-signal-safe.
[[noreturn]] void UnlinkRegisteredAndEnd(int signal_number) {
  for (Slot& slot : slots) {
    if (slot.state.load(std::memory_order_acquire) == kFilled) ::unlink(slot.path);
  }
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  ::sigaction(signal_number, &action, nullptr);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal_number);
  ::pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
  ::raise(signal_number);
  // A signal whose default action does not end the program is not one of ours.
  ::_exit(128 + signal_number);
}

void OnCleanupSignal(int signal_number) {
  int none = 0;
  // Only the first signal counts; the program is ending already.
  if (!ending.compare_exchange_strong(none, signal_number)) return;
  // A thread is between a name and its entry: the last one to leave ends the program.
  if (changing.load() > 0) return;
  UnlinkRegisteredAndEnd(signal_number);
}

}  // namespace

// CleanupSignalsBlocked keeps the previous mask in 128 bytes of its own.
static_assert(sizeof(sigset_t) <= 128);

CleanupSignalsBlocked::CleanupSignalsBlocked() {
  sigset_t set = CleanupSet();
  ::pthread_sigmask(SIG_BLOCK, &set, reinterpret_cast<sigset_t*>(previous_));
  changing.fetch_add(1);
  if (ending.load() != 0) {
    // The program is ending: make nothing new, and let the end come.
    Leave();
    for (;;) ::pause();
  }
}

CleanupSignalsBlocked::~CleanupSignalsBlocked() { Leave(); }

void CleanupSignalsBlocked::Leave() {
  if (changing.fetch_sub(1) == 1) {
    if (const int signal_number = ending.load()) UnlinkRegisteredAndEnd(signal_number);
  }
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
    action.sa_handler = OnCleanupSignal;
    action.sa_mask = CleanupSet();
    // A signal put off while another thread changes a name must not make the
    // interrupted thread's calls fail meanwhile.
    action.sa_flags = SA_RESTART;
    ::sigaction(signal_number, &action, nullptr);
  }
}

void IgnoreFileSizeSignal() { ::signal(SIGXFSZ, SIG_IGN); }

}  // namespace marrowlock
