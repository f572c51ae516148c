#pragma once

#include <string>

namespace marrowlock {

// The bare-name rule: a path whose folder part (everything before its last '/') is
// exactly `working_directory` is shortened to the part after that '/'. Any other
// path, and a name without '/', is returned unchanged. With the working directory
// "/", the folder part of "/a.txt" is "", which differs, so the path stays whole.
std::string BareName(const std::string& path, const std::string& working_directory);

// The file-name part of a path: everything after its last '/'.
std::string FileNamePart(const std::string& path);
// The folder part with its trailing '/': everything up to and including the last
// '/' ("" when there is none).
std::string FolderPart(const std::string& path);

// Lower-cases ASCII letters only; every other byte stays as it is.
std::string AsciiLower(std::string text);

}  // namespace marrowlock
