// SPDX-License-Identifier: MIT
#include "state/encoding_choice.h"

#include "state/window_commands.h"

namespace marrowlock {

void UseWindows1252(ProgramState& s) {
  s.Text1Encoding = TextEncoding::kWindows1252;
  RefreshWindow(s);
}

void UseUtf8(ProgramState& s) {
  s.Text1Encoding = TextEncoding::kUtf8;
  RefreshWindow(s);
}

void ChooseText1Encoding(ProgramState& s, bool cut_short) {
  s.Text1Encoding = ChooseEncoding(s.Form1.Text1.Text, cut_short);
  s.Text1Edited = false;
}

}  // namespace marrowlock
