// SPDX-License-Identifier: MIT
#include <stdlib.h>
#include <windows.h>

#include "support/environment.h"
#include "support/posix_only.h"

namespace marrowlock {

// An empty value removes the variable.
void SetEnvironment(const std::string& name, const std::string& value) {
  ::_putenv_s(name.c_str(), value.c_str());
}

bool RunningAsRoot() { return false; }

bool UnderWine() {
  return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

}  // namespace marrowlock
