// SPDX-License-Identifier: MIT
#include "platform/paths.h"

#include <filesystem>

namespace marrowlock {
namespace {

#ifdef _WIN32
constexpr std::string_view kSeparators = "/\\";
constexpr char kPreferredSeparator = '\\';
#else
constexpr std::string_view kSeparators = "/";
constexpr char kPreferredSeparator = '/';
#endif

bool HasDrive(std::string_view path) {
#ifdef _WIN32
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
#else
  (void)path;
  return false;
#endif
}

// Where the file-name part starts: after the last separator, or after a drive
// ("C:notes.txt").
size_t NameStart(std::string_view path) {
  const size_t separator = path.find_last_of(kSeparators);
  if (separator != std::string_view::npos) return separator + 1;
  return HasDrive(path) ? 2 : 0;
}

// `path` as compared for the bare-name rule: on Windows both separators are one and
// letters are compared without regard to case, as the file system compares names.
std::string ComparableFolder(std::string_view path) {
  std::string text(path);
#ifdef _WIN32
  for (char& c : text) {
    if (c == '/') c = '\\';
  }
  text = AsciiLower(text);
#endif
  return text;
}

}  // namespace

bool IsSeparator(char c) { return kSeparators.find(c) != std::string_view::npos; }

bool IsAbsolutePath(std::string_view path) {
  if (!path.empty() && IsSeparator(path[0])) return true;
  return HasDrive(path) && path.size() >= 3 && IsSeparator(path[2]);
}

size_t RootLength(std::string_view path) {
  if (HasDrive(path)) return path.size() >= 3 && IsSeparator(path[2]) ? 3 : 2;
#ifdef _WIN32
  // "\\server\share\": a network name's root is its server and share.
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    size_t server_end = path.find_first_of(kSeparators, 2);
    if (server_end == std::string_view::npos) return path.size();
    size_t share_end = path.find_first_of(kSeparators, server_end + 1);
    return share_end == std::string_view::npos ? path.size() : share_end + 1;
  }
#endif
  return !path.empty() && IsSeparator(path[0]) ? 1 : 0;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (IsSeparator(folder.back()) || (HasDrive(folder) && folder.size() == 2)) return folder + name;
  return folder + kPreferredSeparator + name;
}

std::string BareName(const std::string& path, const std::string& working_directory) {
  const size_t separator = path.find_last_of(kSeparators);
  if (separator == std::string::npos) return path;
  if (ComparableFolder(std::string_view(path).substr(0, separator)) !=
      ComparableFolder(working_directory)) {
    return path;
  }
  return path.substr(separator + 1);
}

std::string FileNamePart(const std::string& path) { return path.substr(NameStart(path)); }

std::string FolderPart(const std::string& path) { return path.substr(0, NameStart(path)); }

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

bool NamesIgnoreCase() {
#ifdef _WIN32
  return true;
#else
  return false;
#endif
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
