// SPDX-License-Identifier: MIT
#pragma once

#include <stdexcept>
#include <string>

#include "platform/file_system.h"

namespace marrowlock {

// A failure that ends marrowlock-cli's work with status 1; what() is the message
// without the program's name.
class CliFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The file layer's messages are sentences ("Cannot write a.enc: No space left on
// device."); a command-line tool's read as "cannot write a.enc: No space left on device".
std::string ToolMessage(const FileError& error);

// Writes "marrowlock-cli: " + text as one line on standard error, whole even when
// several threads report at once.
void PrintToolMessage(const std::string& text);

}  // namespace marrowlock
