// SPDX-License-Identifier: MIT
// Hidden temporaries on Windows: Ctrl+C, Ctrl+Break, closing the console, logging off
// and shutting down call a console control handler, on a thread of its own, which
// deletes every registered name and ends the process. A lock takes the place of
// blocked signals: while a thread holds it, the handler waits.
#include "platform/temporary_names.h"

#include <windows.h>

#include <atomic>
#include <cstring>

#include "platform/windows_support.h"

namespace marrowlock {
namespace {

constexpr int kSlots = 16;
// Long enough for a "\\?\" name of any folder that Windows Explorer can show.
constexpr size_t kLongestName = 4096;
// The status a process ended by Ctrl+C has on Windows (STATUS_CONTROL_C_EXIT).
constexpr UINT kControlCExit = 0xC000013A;

struct Slot {
  bool filled = false;
  wchar_t path[kLongestName];
};

Slot slots[kSlots];

CRITICAL_SECTION& Lock() {
  static CRITICAL_SECTION lock = [] {
    CRITICAL_SECTION section;
    ::InitializeCriticalSection(&section);
    return section;
  }();
  return lock;
}

BOOL WINAPI DeleteRegisteredAndExit(DWORD /*event*/) {
  RemoveTemporariesAndExit(kControlCExit);
  return TRUE;
}

}  // namespace

void RemoveTemporariesAndExit(unsigned status) {
  // The lock is never given back: the process ends while this thread holds it, so no
  // thread makes a new name after the names were deleted.
  ::EnterCriticalSection(&Lock());
  for (Slot& slot : slots) {
    if (slot.filled) ::DeleteFileW(slot.path);
  }
  ::ExitProcess(status);
}

CleanupSignalsBlocked::CleanupSignalsBlocked() { ::EnterCriticalSection(&Lock()); }

CleanupSignalsBlocked::~CleanupSignalsBlocked() { ::LeaveCriticalSection(&Lock()); }

int RegisterTemporaryName(const std::string& path) {
  const std::wstring name = SystemName(path);
  if (name.size() >= kLongestName) return -1;
  CleanupSignalsBlocked blocked;
  for (int i = 0; i < kSlots; ++i) {
    if (slots[i].filled) continue;
    std::memcpy(slots[i].path, name.c_str(), (name.size() + 1) * sizeof(wchar_t));
    slots[i].filled = true;
    return i;
  }
  return -1;
}

void ForgetTemporaryName(int slot) {
  if (slot < 0 || slot >= kSlots) return;
  CleanupSignalsBlocked blocked;
  slots[slot].filled = false;
}

void RemoveTemporariesOnSignals() { ::SetConsoleCtrlHandler(DeleteRegisteredAndExit, TRUE); }

// Windows has no file-size limit that ends a process; a write past a quota fails.
void IgnoreFileSizeSignal() {}

}  // namespace marrowlock
