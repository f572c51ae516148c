// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

#include "cipher/key_pair.h"
#include "frontends/cli/tool_message.h"

namespace marrowlock {

// The key file to use: `named` (-k) exactly as given, relative to the current
// folder; else the default key that the settings file names, found as the window
// finds it. Throws CliFailure when there is no default key.
std::string KeyFilePath(const std::optional<std::string>& named);

// Reads the key file at `path`. Throws CliFailure when it cannot be read or its
// length is not a key file's.
KeyPair ReadCliKey(const std::string& path);

// What the check of a key says: "decrypts what it encrypts (...)" or "cannot
// decrypt what it encrypts (...)", naming the arithmetic.
std::string KeyCheckText(const KeyPair& key);

// The key at `path` (as KeyFilePath gives it) for encrypting and decrypting: read,
// and refused (CliFailure) unless it decrypts what it encrypts.
KeyPair LoadCheckedKey(const std::string& path);

}  // namespace marrowlock
