// SPDX-License-Identifier: MIT
#include "app/dispatch.h"

#include "state/window_commands.h"

namespace marrowlock {
namespace {

// Runs the row's command unless a long command is running and it has to wait.
void Run(ProgramState& s, const CommandRow& row) {
  if (s.CommandRunning && !row.while_busy) return;
  if (row.writes_text1 && !s.BinaryMode && s.Text1Unencodable) {
    s.platform.MessageBox(kUnencodableTextMessage);
    return;
  }
  row.run(s);
}

}  // namespace

void OnMenu(ProgramState& s, Command command) {
  const CommandRow& row = RowOf(command);
  if (row.menu.menu == nullptr) return;
  Run(s, row);
  if (command == Command::kBinaryMode && !s.CommandRunning) {
    s.Form1.BinaryModeChecked = s.BinaryMode;
    RefreshWindow(s);
  }
}

bool OnKey(ProgramState& s, const KeyPress& key) {
  const CommandRow* row = RowOfKey(key);
  if (row == nullptr) return false;
  if (row->key.clears != nullptr && (!s.CommandRunning || row->while_busy)) {
    (s.*(row->key.clears)).clear();
  }
  Run(s, *row);
  return true;
}

void OnToolbar(ProgramState& s, int position) {
  if (const CommandRow* row = RowOfButton(position)) Run(s, *row);
}

}  // namespace marrowlock
