// SPDX-License-Identifier: MIT
#include "platform/paths.h"

#include <filesystem>

namespace marrowlock {

std::string BareName(const std::string& path, const std::string& working_directory) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return path;
  if (path.compare(0, slash, working_directory) != 0 || slash != working_directory.size()) {
    return path;
  }
  return path.substr(slash + 1);
}

std::string FileNamePart(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderPart(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

std::string AsciiLower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix) {
  if (text.size() < suffix.size()) return false;
  return AsciiLower(std::string(text.substr(text.size() - suffix.size()))) ==
         AsciiLower(std::string(suffix));
}

size_t ExtensionDot(const std::string& path, bool first) {
  size_t start = FolderPart(path).size();
  while (start < path.size() && path[start] == '.') ++start;
  size_t dot = first ? path.find('.', start) : path.rfind('.');
  if (dot == std::string::npos || dot < start) return std::string::npos;
  return dot;
}

std::string WithExtension(const std::string& path, const std::string& extension) {
  size_t dot = ExtensionDot(path);
  if (dot == std::string::npos) return path + "." + extension;
  return path.substr(0, dot + 1) + extension;
}

std::string AbsolutePath(const std::string& path, const std::string& working_directory) {
  std::filesystem::path p(path);
  if (p.is_relative()) p = std::filesystem::path(working_directory) / p;
  return p.lexically_normal().string();
}

}  // namespace marrowlock
