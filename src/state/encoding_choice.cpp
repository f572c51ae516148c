// SPDX-License-Identifier: MIT
#include "state/encoding_choice.h"

#include "state/window_commands.h"

namespace marrowlock {

void UseWindows1252(ProgramState& s) {
  s.Text1Encoding = TextEncoding::kWindows1252;
  RefreshWindow(s);
}

void UseUtf8(ProgramState& s) {
  // An edited text keeps its characters, and UTF-8 has bytes for every one of them.
  if (!s.BinaryMode && !s.Text1Edited && !IsValidUtf8(s.Form1.Text1.Text, s.Text1CutShort)) {
    s.platform.MessageBox(kNotUtf8Message);
  } else {
    s.Text1Encoding = TextEncoding::kUtf8;
  }
  RefreshWindow(s);
}

void ChooseText1Encoding(ProgramState& s, bool cut_short) {
  s.Text1Encoding = ChooseEncoding(s.Form1.Text1.Text, cut_short);
  s.Text1Edited = false;
  s.Text1CutShort = cut_short;
}

}  // namespace marrowlock
