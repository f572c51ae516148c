// SPDX-License-Identifier: MIT
#include "commands/encrypted_names.h"

#include "platform/paths.h"

namespace marrowlock {

std::string EncryptedNameFor(const std::string& source) { return WithExtension(source, "enc"); }

std::string TypedEncryptedName(const std::string& typed) {
  if (EndsWithIgnoringCase(typed, ".enc")) return typed;
  return typed + ".enc";
}

std::string EncryptedFileToOpen(const std::string& name) {
  size_t dot = ExtensionDot(name);
  if (dot != std::string::npos && AsciiLower(name.substr(dot + 1)) == "enc") return name;
  return WithExtension(name, "enc");
}

std::string BatchDecryptedName(const std::string& encrypted) {
  size_t dot = ExtensionDot(encrypted, true);
  if (dot == std::string::npos) return encrypted + ".dec";
  return encrypted.substr(0, dot + 1) + "dec";
}

}  // namespace marrowlock
