#pragma once

#include "state/keys.h"
#include "state/program_state.h"

namespace marrowlock {

// The entries of the main window's menu bar, named after their elements.
enum class MenuEntry {
  menuFileLoad,
  menuFileEncrypt,
  menuFileDecrypt,
  menuFileRename,
  menuFileExit,
  menuKeyOpenNewKey,
  menuKeyNewDefaultKey,
  menuTextClear,
  menuTextSave,
  menuOptionsBinaryMode,
  menuHelpReadHelpfile,
};

// The three ways the main window starts a command. Each calls one command; the
// BinaryMode entry also sets its check mark to the new BinaryMode.
//
// While a long command runs (CommandRunning), its loop lets these run nested
// inside it; then only Escape, Alt+X, File > Exit, F1 and F5 act, since any other
// command would work on the same buffers and working files as the running one.
//
// A text of Text1 that holds characters without a byte (Text1Unencodable)
// is not encrypted, saved or written by Rename in text mode: the user is told
// instead, as no byte string would match what the window shows.
void OnMenu(ProgramState& s, MenuEntry entry);
// Returns whether the key matched a row of the keyboard table (matched keys are
// not looked at further, even when the busy guard stops them).
bool OnKey(ProgramState& s, const KeyPress& key);
// `position` is 1..9; any other position does nothing.
void OnToolbar(ProgramState& s, int position);

// The message shown instead of running such a command.
inline constexpr const char* kUnencodableTextMessage =
    "The text holds characters that cannot be saved as single bytes.";

}  // namespace marrowlock
