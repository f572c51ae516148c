#include "platform/paths.h"

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

}  // namespace marrowlock
