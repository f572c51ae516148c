// SPDX-License-Identifier: MIT
#pragma once

#include <span>
#include <string>

#include "state/keys.h"
#include "state/program_state.h"

namespace marrowlock {

// Everything the main window can start.
enum class Command {
  kLoad,
  kEncrypt,
  kDecrypt,
  kRename,
  kExit,
  kOpenKey,
  kModifyDefaults,
  kMakeKey,
  kClear,
  kSaveText,
  kBinaryMode,
  kHelp,
  kAbort,
  kKeyDisplay,
  kRefresh,
  kWindows1252,
  kUtf8,
};

// A menu entry: its menu's caption, its own caption with the access-key marker, and
// its element name. `menu` is null for a command without an entry.
struct MenuPlace {
  const char* menu = nullptr;
  const char* caption = nullptr;
  const char* element = nullptr;
  bool separator_before = false;  // the separator line SepBar stands above it
  const char* submenu = nullptr;  // the caption of the submenu it lies in, if any
};

// A key that starts the command, with the exact state of the three modifiers. The
// four keys that start a file command first empty its pending name (`clears`), so
// that the command asks for a file; the menu entries and buttons use a held name.
struct KeyPlace {
  int key = 0;  // 0: no key
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
  std::string ProgramState::*clears = nullptr;
};

// A toolbar button: its position (1..9, 0 for none), caption, key and tooltip.
struct ButtonPlace {
  int position = 0;
  const char* caption = nullptr;
  const char* key = nullptr;
  const char* tooltip = nullptr;
};

// One row per command: the procedure that it runs and the ways to start it.
struct CommandRow {
  Command command;
  void (*run)(ProgramState& s);
  MenuPlace menu;
  KeyPlace key;
  ButtonPlace button;
  // It acts while a long command runs. Any other command would work on the same
  // buffers and working files as the running one, so it waits.
  bool while_busy = false;
  // In text mode it writes Text1's bytes somewhere, so it must not run while Text1
  // holds characters that have no byte (Text1Unencodable).
  bool writes_text1 = false;
};

// The rows, in the order of the menu bar; rows without a menu entry come last.
std::span<const CommandRow> CommandTable();

const CommandRow& RowOf(Command command);
// The row whose key matches `key` exactly, or null.
const CommandRow* RowOfKey(const KeyPress& key);
// The row of the toolbar button at `position`, or null.
const CommandRow* RowOfButton(int position);

// How a key is written for the user: the modifiers in the order Ctrl, Shift, Alt,
// then the key ("Alt+E", "Ctrl+Shift+Alt+P", "F1", "Esc"); "" for no key. Menu
// entries show it as a hint only: the keyboard table alone acts on keys.
std::string KeyText(const KeyPlace& key);

}  // namespace marrowlock
