// SPDX-License-Identifier: MIT
#include "platform/program_arguments.h"

#include <windows.h>
// clang-format off: shellapi.h needs windows.h before it.
#include <shellapi.h>
// clang-format on

#include "platform/windows_support.h"

namespace marrowlock {

ProgramArguments::ProgramArguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide != nullptr) {
    for (int i = 0; i < count; ++i) strings_.push_back(Narrow(wide[i]));
    ::LocalFree(wide);
  } else {
    strings_.assign(argv, argv + argc);
  }
  for (std::string& text : strings_) pointers_.push_back(text.data());
  pointers_.push_back(nullptr);
}

}  // namespace marrowlock
