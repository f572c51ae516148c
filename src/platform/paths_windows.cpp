// SPDX-License-Identifier: MIT
// The letter case of names on Windows; the rest of the paths is in paths.cpp.
#include "platform/paths.h"

#include "platform/windows_support.h"

namespace marrowlock {

// NTFS compares names by upper-casing them with its table, which follows the
// invariant locale's simple upper-casing: "é" and "É" are one letter there, "ß" and
// "SS" are not.
std::string NameAsCompared(const std::string& name) {
  std::wstring wide = Wide(name);
  if (wide.empty()) return name;
  const int length = static_cast<int>(wide.size());
  std::wstring upper(wide.size(), L'\0');
  if (::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.data(), length, upper.data(),
                      length, nullptr, nullptr, 0) != length) {
    return AsciiLower(name);
  }
  return Narrow(upper);
}

}  // namespace marrowlock
