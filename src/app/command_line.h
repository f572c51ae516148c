// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "state/program_state.h"

namespace marrowlock {

// The arguments joined with single blanks: the one text the command line is parsed from.
std::string JoinArguments(int argc, char** argv);

// "--open [FILE]", the form the desktop entry starts the program with: FILE is one
// name, taken exactly as given (blanks, "-i" and quotes in it included), and is
// opened with the window as a name on the command line would be; without FILE the
// window opens on its own. Never batch mode.
inline constexpr const char* kOpenOption = "--open";
// True when the arguments begin with --open.
bool IsOpenCommandLine(int argc, char** argv);
// Sets CommandLineText (and CommandLineIsName) from the program's arguments.
// REQUIRES: with --open, at most one name follows it.
void SetCommandLine(ProgramState& s, int argc, char** argv);

// What a command-line text asks for.
//
// The input name comes first and may hold blanks; it ends before the first blank
// that is followed by "-i", "-k" or "-o". A text enclosed in double quotes as a
// whole loses them. The options are the blank-separated tokens after the name: a
// token beginning "-i" is batch mode, "-kNAME" names the key file and "-oNAME" the
// output; the value is the rest of the token, so "-k my.mlk" gives an empty key
// (the key is then asked for). The first token of each option counts.
struct CommandLine {
  std::string input;  // "" when the text names no file
  bool batch = false;
  bool key_given = false;
  std::string key;
  bool output_given = false;
  std::string output;
};

CommandLine ParseCommandLine(const std::string& text);

// True when the text asks for a run without a window: "-i" is given and the input
// is not a ".dec" file (those are always shown in the window).
bool IsBatchCommandLine(const std::string& text);

// What the state's command line asks for: the --open name as it is, else the parsed text.
CommandLine ReadCommandLine(const ProgramState& s);

// Parses ProgramState::CommandLineText (unless it is an --open name) and runs at most one command
// on the file it names: LoadFile for a ".dec" file, DecryptCommand for a ".enc" file, else
// EncryptCommand, the last two after OpenKeyFile.
void RunCommandLine(ProgramState& s);

}  // namespace marrowlock
