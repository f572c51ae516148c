#include "commands/encrypted_names.h"

#include "platform/paths.h"

namespace marrowlock {
namespace {

// Position in `path` of the last (or first) extension dot of its file-name part, or
// npos. Dots that begin the file name mark a hidden file, not an extension.
size_t ExtensionDot(const std::string& path, bool first) {
  size_t start = FolderPart(path).size();
  while (start < path.size() && path[start] == '.') ++start;
  size_t dot = first ? path.find('.', start) : path.rfind('.');
  if (dot == std::string::npos || dot < start) return std::string::npos;
  return dot;
}

}  // namespace

std::string WithExtension(const std::string& path, const std::string& extension) {
  size_t dot = ExtensionDot(path, false);
  if (dot == std::string::npos) return path + "." + extension;
  return path.substr(0, dot + 1) + extension;
}

std::string EncryptedNameFor(const std::string& source) { return WithExtension(source, "enc"); }

std::string TypedEncryptedName(const std::string& typed) {
  if (typed.size() >= 4 && AsciiLower(typed.substr(typed.size() - 4)) == ".enc") return typed;
  return typed + ".enc";
}

std::string EncryptedFileToOpen(const std::string& name) {
  size_t dot = ExtensionDot(name, false);
  if (dot != std::string::npos && AsciiLower(name.substr(dot + 1)) == "enc") return name;
  return WithExtension(name, "enc");
}

std::string BatchDecryptedName(const std::string& encrypted) {
  size_t dot = ExtensionDot(encrypted, true);
  if (dot == std::string::npos) return encrypted + ".dec";
  return encrypted.substr(0, dot + 1) + "dec";
}

}  // namespace marrowlock
