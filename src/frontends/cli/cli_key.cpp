// SPDX-License-Identifier: MIT
#include "frontends/cli/cli_key.h"

#include "cipher/key_pair.h"
#include "files/settings_file.h"
#include "platform/file_system.h"
#include "platform/paths.h"

namespace marrowlock {

std::string KeyFilePath(const std::optional<std::string>& named) {
  if (named) return *named;
  std::optional<Settings> settings = ReadSettingsFile();
  if (!settings || settings->DefaultKeyName.empty()) {
    throw CliFailure(
        "no default key is set: name a key file with -k KEY, or set a default key in "
        "marrowlock's window (Key > Modify Defaults) or with: echo KEY | marrowlock FILE -i");
  }
  // As OpenKeyFile finds it: the extension forced, then looked up in the key folder.
  std::string name = ForceKeyExtension(settings->DefaultKeyName);
  if (!settings->KeyDirectory.empty() && !IsAbsolutePath(name)) {
    name = JoinPath(settings->KeyDirectory, name);
  }
  return name;
}

KeyPair ReadCliKey(const std::string& path) {
  KeyFileContents contents;
  try {
    contents = ReadKeyPair(path);
  } catch (const FileError& e) {
    throw CliFailure(ToolMessage(e));
  }
  if (!contents.key) {
    throw CliFailure(path + ": not a key file: it holds " + std::to_string(contents.length) +
                     " bytes, and a key file holds 2, 4, 8, 16, 32 or 512");
  }
  return *contents.key;
}

std::string KeyCheckText(const KeyPair& key) {
  const std::string modulus = "256^" + std::to_string(key.BlockLength());
  if (key.DecryptsWhatItEncrypts()) {
    return "decrypts what it encrypts (Pair x Pal = 1 modulo " + modulus + ")";
  }
  return "cannot decrypt what it encrypts (Pal is not the inverse of Pair modulo " + modulus + ")";
}

KeyPair LoadCheckedKey(const std::string& path) {
  KeyPair key = ReadCliKey(path);
  if (!key.DecryptsWhatItEncrypts()) throw CliFailure(path + ": " + KeyCheckText(key));
  return key;
}

}  // namespace marrowlock
