// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_identity.h"
#include "platform/file_system.h"
#include "platform/platform.h"
#include "platform/text_encoding.h"
#include "state/held_data.h"
#include "state/window_elements.h"

namespace marrowlock {

// Byte cells of the key and block tables: index 0 is the most significant byte.
using Cells = std::vector<uint8_t>;

// The one record of program state. Commands are procedures over it: they read and
// write its fields and tell their callers nothing else. The windows are part of it
// (Form1, MLHelp, Dialog); the platform draws them.
//
// Sizes, positions and chunk counters are 64-bit, so any file size works.
//
// The fields that start-up sets get their start values from SetStartValues, which
// the constructor calls too; the others start empty, zero or false.
struct ProgramState {
  explicit ProgramState(Platform& platform);
  ProgramState(const ProgramState&) = delete;
  ProgramState& operator=(const ProgramState&) = delete;

  Platform& platform;

  // Windows.
  MainWindow Form1;
  HelpWindow MLHelp;
  SetupDialog Dialog;

  // Flags.
  bool BinaryMode;
  bool AbortRequested;
  bool KeyLoaded;
  bool BatchMode;
  bool UseDefaultKey;
  bool OutputNameGiven;
  bool StartedWithFile = false;
  bool RenameRequested;
  bool TruncatedProduct;

  // The program's arguments joined with single blanks; or, when CommandLineIsName,
  // the one file name given with "--open", which is taken as it is.
  std::string CommandLineText;
  bool CommandLineIsName = false;

  // Names. An empty pending name means: ask the user.
  std::string CommandLineInput;
  std::string CommandLineOutputName;
  std::string EncryptSourceName;
  std::string DecryptSourceName;
  std::string LoadedFileName;
  std::string PendingKeyFile;
  std::string KeyDirectory;
  std::string DefaultKeyName;
  std::string LogPath;
  std::string LineBreak;

  // Setup dialog choice, kept from one opening of the dialog to the next.
  std::string ChosenKeyName;
  std::string ChosenKeyDirectory;

  // Buffers: byte strings, one character per byte.
  std::string SourceText;
  HeldData BinaryData;
  std::string ChunkBuffer;

  // Positions and sizes.
  int64_t SourceLength = 0;
  int64_t SourcePos = 0;
  int64_t CipherLength = 0;
  int64_t CipherPos = 0;
  int64_t SourceFileSize = 0;

  // The source file of a binary-mode encryption, and the chunks of kChunkSize it
  // holds (at least one), against which the progress is measured.
  File SourceFileNumber;
  int64_t ChunkCount = 0;

  // Key tables and block work areas; created by OpenKeyFile.
  Cells PlainBlock;
  Cells CipherBlock;
  Cells DecryptedBlock;
  Cells PairKey;
  Cells PalKey;
  Cells ProductCells;

  // Constants.
  int BlockLength;
  int64_t ChunkSize;
  int64_t FlushThreshold;
  int64_t DisplayLimit;
  int ProgressInterval;

  // A decryption met an encrypted file with two or more bytes after its last whole
  // block; batch mode then ends with a failure status.
  bool InputDamaged = false;
  // A long command (Encrypt, Decrypt, Load) is running; the window then starts no
  // other command while it lets pending events run.
  bool CommandRunning = false;
  // The key file of the key in force, as it was opened: an output may not replace it.
  std::string KeyFileName;
  // The encrypted file of the last decryption, whose result Text1 or BinaryData may
  // hold: no save may replace it with its own plaintext. Forgotten by ClearText.
  std::optional<FileIdentity> DecryptedFrom;
  // Seconds the program has waited in name boxes and messages for the user: a run's
  // logged time leaves out what it waited meanwhile.
  double UserWaitSeconds = 0;
  // The last SaveDecryptedOutput could not write its file (the failure was shown);
  // a decryption then logs no record, since its result has no name.
  bool SaveFailed = false;
  // The user typed characters into Text1 that the encoding in force has no bytes
  // for (only windows-1252 lacks some); Text1 then holds '?' for them. Set by the
  // window, cleared when a command sets Text1 anew; text-mode Encrypt, Save and
  // Rename refuse to run while it is set.
  bool Text1Unencodable = false;
  // The encoding in which Text1's bytes are shown and typed text is written: chosen
  // for each loaded or decrypted text, and by the user in Options > Encoding.
  TextEncoding Text1Encoding = TextEncoding::kWindows1252;
  // The user changed Text1 since a command last set it: its characters, not its
  // bytes, are then what a change of encoding keeps. Set by the window.
  bool Text1Edited = false;
  // Text1 holds only the beginning of a longer text (a load over DisplayLimit, an
  // abandoned decryption), so it may end inside a UTF-8 character.
  bool Text1CutShort = false;
};

// The start values: the key and block length of no key (16), text mode, no pending
// flags, the constants (ChunkSize the framing's kChunkSize, 4001; FlushThreshold
// 1024, DisplayLimit 32000, ProgressInterval 1 second, LineBreak CR LF) and the log
// in the system folder.
void SetStartValues(ProgramState& s);

}  // namespace marrowlock
