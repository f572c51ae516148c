// SPDX-License-Identifier: MIT
#include "app/command_table.h"

#include <stdexcept>
#include <string>

#include "app/help_window.h"
#include "app/load_file.h"
#include "app/make_key.h"
#include "commands/decrypt_command.h"
#include "commands/encrypt_command.h"
#include "commands/key_file.h"
#include "files/decrypted_output.h"
#include "files/save_text.h"
#include "files/setup_dialog.h"
#include "state/encoding_choice.h"
#include "state/window_commands.h"

namespace marrowlock {
namespace {

void Exit(ProgramState& s) { ExitProgram(s, kExitOk); }
void Abort(ProgramState& s) { s.AbortRequested = true; }

constexpr KeyPlace Alt(int key, std::string ProgramState::*clears = nullptr) {
  return KeyPlace{key, false, false, true, clears};
}
constexpr KeyPlace Plain(int key) { return KeyPlace{key, false, false, false, nullptr}; }

constexpr MenuPlace Entry(const char* menu, const char* caption, const char* element) {
  return MenuPlace{menu, caption, element, false};
}
constexpr ButtonPlace Button(int position, const char* caption, const char* key,
                             const char* tooltip) {
  return ButtonPlace{position, caption, key, tooltip};
}

constexpr MenuPlace EncodingEntry(const char* caption, const char* element) {
  return MenuPlace{"&Options", caption, element, false, "&Encoding"};
}

constexpr MenuPlace kNoEntry{};
constexpr KeyPlace kNoKey{};
constexpr ButtonPlace kNoButton{};
constexpr bool kWaits = false;      // waits while a long command runs
constexpr bool kActs = true;        // acts while a long command runs
constexpr bool kBytes = false;      // does not write Text1's bytes
constexpr bool kWritesText = true;  // writes Text1's bytes in text mode

// clang-format off
const CommandRow kTable[] = {
    {Command::kLoad, LoadFile, Entry("&File", "&Load", "menuFileLoad"),
     Alt(kKeyL, &ProgramState::LoadedFileName), Button(1, "Load", "load", "Load File"),
     kWaits, kBytes},
    {Command::kEncrypt, EncryptCommand, Entry("&File", "&Encrypt", "menuFileEncrypt"),
     Alt(kKeyE, &ProgramState::EncryptSourceName), Button(5, "Encrypt", "encrypt", "Encrypt"),
     kWaits, kWritesText},
    {Command::kDecrypt, DecryptCommand, Entry("&File", "&Decrypt", "menuFileDecrypt"),
     Alt(kKeyD, &ProgramState::DecryptSourceName), Button(6, "Decrypt", "decrypt", "Decrypt"),
     kWaits, kBytes},
    {Command::kRename, RenameCommand, Entry("&File", "&Rename", "menuFileRename"),
     Alt(kKeyR), Button(4, "Rename", "rename", "Rename File"),
     kWaits, kWritesText},
    {Command::kExit, Exit, MenuPlace{"&File", "e&Xit", "menuFileExit", true},
     Alt(kKeyX), Button(9, "Exit", "exit", "Exit"),
     kActs, kBytes},
    {Command::kOpenKey, OpenKeyFile, Entry("&Key", "&New key", "menuKeyOpenNewKey"),
     Alt(kKeyN, &ProgramState::PendingKeyFile), Button(7, "New Key", "newkey", "New Key"),
     kWaits, kBytes},
    {Command::kModifyDefaults, ModifyDefaults, Entry("&Key", "&Modify Defaults", "menuKeyNewDefaultKey"),
     Alt(kKeyM), kNoButton,
     kWaits, kBytes},
    {Command::kMakeKey, MakeNewKeyCommand, Entry("&Key", "Ma&ke a new key\u2026", "menuKeyMakeNewKey"),
     kNoKey, kNoButton,
     kWaits, kBytes},
    {Command::kClear, ClearText, Entry("&Text", "&Clear", "menuTextClear"),
     Alt(kKeyC), Button(2, "Clear", "clear", "Clear Text"),
     kWaits, kBytes},
    {Command::kSaveText, SaveTextCommand, Entry("&Text", "&Save", "menuTextSave"),
     Alt(kKeyS), Button(3, "Save", "save", "Save Text"),
     kWaits, kWritesText},
    {Command::kBinaryMode, ToggleBinaryMode, Entry("&Options", "&BinaryMode", "menuOptionsBinaryMode"),
     Alt(kKeyB), Button(8, "Binary", "binary", "Toggle BinaryMode"),
     kWaits, kBytes},
    {Command::kWindows1252, UseWindows1252,
     EncodingEntry("&Western (windows-1252)", "menuOptionsEncodingWestern"),
     kNoKey, kNoButton,
     kWaits, kBytes},
    {Command::kUtf8, UseUtf8,
     EncodingEntry("&Unicode (UTF-8)", "menuOptionsEncodingUnicode"),
     kNoKey, kNoButton,
     kWaits, kBytes},
    {Command::kHelp, ShowHelp, Entry("&Help", "&Read Helpfile", "menuHelpReadHelpfile"),
     Plain(kKeyF1), kNoButton,
     kActs, kBytes},
    {Command::kAbort, Abort, kNoEntry,
     Plain(kKeyEscape), kNoButton,
     kActs, kBytes},
    {Command::kKeyDisplay, ToggleKeyDisplay, kNoEntry,
     KeyPlace{kKeyP, true, true, true, nullptr}, kNoButton,
     kWaits, kBytes},
    {Command::kRefresh, RefreshWindow, kNoEntry,
     Plain(kKeyF5), kNoButton,
     kActs, kBytes},
};
// clang-format on

}  // namespace

std::span<const CommandRow> CommandTable() { return kTable; }

const CommandRow& RowOf(Command command) {
  for (const CommandRow& row : kTable) {
    if (row.command == command) return row;
  }
  throw std::logic_error("a command without a row");
}

const CommandRow* RowOfKey(const KeyPress& key) {
  for (const CommandRow& row : kTable) {
    const KeyPlace& k = row.key;
    if (k.key != 0 && k.key == key.key && k.shift == key.shift && k.ctrl == key.ctrl &&
        k.alt == key.alt) {
      return &row;
    }
  }
  return nullptr;
}

const CommandRow* RowOfButton(int position) {
  for (const CommandRow& row : kTable) {
    if (row.button.position != 0 && row.button.position == position) return &row;
  }
  return nullptr;
}

std::string KeyText(const KeyPlace& key) {
  std::string name;
  if (key.key >= 'A' && key.key <= 'Z') {
    name = std::string(1, static_cast<char>(key.key));
  } else if (key.key >= kKeyF1 && key.key < kKeyF1 + 12) {
    name = "F" + std::to_string(key.key - kKeyF1 + 1);
  } else if (key.key == kKeyEscape) {
    name = "Esc";
  } else {
    return "";
  }
  return std::string(key.ctrl ? "Ctrl+" : "") + (key.shift ? "Shift+" : "") +
         (key.alt ? "Alt+" : "") + name;
}

}  // namespace marrowlock
