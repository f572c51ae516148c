// SPDX-License-Identifier: MIT
#pragma once

namespace marrowlock {

// Key codes as the program's key tables use them (the letters' upper-case codes).
inline constexpr int kKeyEscape = 27;
inline constexpr int kKeyB = 66;
inline constexpr int kKeyC = 67;
inline constexpr int kKeyD = 68;
inline constexpr int kKeyE = 69;
inline constexpr int kKeyL = 76;
inline constexpr int kKeyM = 77;
inline constexpr int kKeyN = 78;
inline constexpr int kKeyP = 80;
inline constexpr int kKeyR = 82;
inline constexpr int kKeyS = 83;
inline constexpr int kKeyX = 88;
inline constexpr int kKeyF1 = 112;
inline constexpr int kKeyF5 = 116;

// A key press with the exact state of the three modifiers that matter.
struct KeyPress {
  int key = 0;
  bool shift = false;
  bool ctrl = false;
  bool alt = false;

  bool AltAlone() const { return alt && !shift && !ctrl; }
  bool NoModifiers() const { return !alt && !shift && !ctrl; }
};

}  // namespace marrowlock
