#include "app/dispatch.h"

#include "app/help_window.h"
#include "app/load_file.h"
#include "cipher/key_file.h"
#include "commands/decrypt_command.h"
#include "commands/encrypt_command.h"
#include "files/decrypted_output.h"
#include "files/save_text.h"
#include "files/setup_dialog.h"
#include "state/window_commands.h"

namespace marrowlock {
namespace {

// Commands that write Text1's bytes somewhere in text mode must not write a text
// other than the one the user sees.
bool RefuseUnencodableText(ProgramState& s) {
  if (s.BinaryMode || !s.Text1Unencodable) return false;
  s.platform.MessageBox(kUnencodableTextMessage);
  return true;
}

void Encrypt(ProgramState& s) {
  if (!RefuseUnencodableText(s)) EncryptCommand(s);
}

void SaveText(ProgramState& s) {
  if (!RefuseUnencodableText(s)) SaveTextCommand(s);
}

void Rename(ProgramState& s) {
  if (!RefuseUnencodableText(s)) RenameCommand(s);
}

}  // namespace

void OnMenu(ProgramState& s, MenuEntry entry) {
  if (s.CommandRunning) {
    if (entry == MenuEntry::menuFileExit) ExitProgram(s, kExitOk);
    return;
  }
  switch (entry) {
    case MenuEntry::menuFileLoad:
      LoadFile(s);
      break;
    case MenuEntry::menuFileEncrypt:
      Encrypt(s);
      break;
    case MenuEntry::menuFileDecrypt:
      DecryptCommand(s);
      break;
    case MenuEntry::menuFileRename:
      Rename(s);
      break;
    case MenuEntry::menuFileExit:
      ExitProgram(s, kExitOk);
    case MenuEntry::menuKeyOpenNewKey:
      OpenKeyFile(s);
      break;
    case MenuEntry::menuKeyNewDefaultKey:
      ModifyDefaults(s);
      break;
    case MenuEntry::menuTextClear:
      ClearText(s);
      break;
    case MenuEntry::menuTextSave:
      SaveText(s);
      break;
    case MenuEntry::menuOptionsBinaryMode:
      ToggleBinaryMode(s);
      s.Form1.BinaryModeChecked = s.BinaryMode;
      RefreshWindow(s);
      break;
    case MenuEntry::menuHelpReadHelpfile:
      ShowHelp(s);
      break;
  }
}

bool OnKey(ProgramState& s, const KeyPress& key) {
  // Rows in table order; the first match acts.
  if (key.key == kKeyX && key.AltAlone()) ExitProgram(s, kExitOk);
  if (key.key == kKeyEscape && key.NoModifiers()) {
    s.AbortRequested = true;
    return true;
  }
  if (key.key == kKeyF1 && key.NoModifiers()) {
    ShowHelp(s);
    return true;
  }
  if (key.key == kKeyF5 && key.NoModifiers()) {
    RefreshWindow(s);
    return true;
  }

  bool matched = true;
  bool busy = s.CommandRunning;
  if (key.key == kKeyP && key.alt && key.shift && key.ctrl) {
    if (!busy) ToggleKeyDisplay(s);
    return true;
  }
  if (!key.AltAlone()) return false;
  if (busy) {
    switch (key.key) {
      case kKeyE:
      case kKeyL:
      case kKeyD:
      case kKeyC:
      case kKeyS:
      case kKeyR:
      case kKeyN:
      case kKeyM:
      case kKeyB:
        return true;
      default:
        return false;
    }
  }
  switch (key.key) {
    case kKeyE:
      s.EncryptSourceName.clear();
      Encrypt(s);
      break;
    case kKeyL:
      s.LoadedFileName.clear();
      LoadFile(s);
      break;
    case kKeyD:
      s.DecryptSourceName.clear();
      DecryptCommand(s);
      break;
    case kKeyC:
      ClearText(s);
      break;
    case kKeyS:
      SaveText(s);
      break;
    case kKeyR:
      Rename(s);
      break;
    case kKeyN:
      s.PendingKeyFile.clear();
      OpenKeyFile(s);
      break;
    case kKeyM:
      ModifyDefaults(s);
      break;
    case kKeyB:
      ToggleBinaryMode(s);
      break;
    default:
      matched = false;
  }
  return matched;
}

void OnToolbar(ProgramState& s, int position) {
  if (s.CommandRunning) return;
  switch (position) {
    case 1:
      LoadFile(s);
      break;
    case 2:
      ClearText(s);
      break;
    case 3:
      SaveText(s);
      break;
    case 4:
      Rename(s);
      break;
    case 5:
      Encrypt(s);
      break;
    case 6:
      DecryptCommand(s);
      break;
    case 7:
      OpenKeyFile(s);
      break;
    case 8:
      ToggleBinaryMode(s);
      break;
    case 9:
      ExitProgram(s, kExitOk);
    default:
      break;
  }
}

}  // namespace marrowlock
