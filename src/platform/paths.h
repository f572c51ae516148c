// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

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
// True when `text` ends with `suffix`, ASCII letters compared without regard to case.
bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix);

// Extensions look at the file-name part of a path only, so a dot in a folder name
// never counts; dots at the very start of the file name (".notes") mark a hidden
// file, not an extension.

// Position in `path` of the last extension dot of its file-name part (the first one
// when `first`), or npos when it has none.
size_t ExtensionDot(const std::string& path, bool first = false);
// `path` with its extension replaced by `extension`, or with "." + `extension`
// appended when it has none: "dir/report.txt" -> "dir/report.enc".
std::string WithExtension(const std::string& path, const std::string& extension);

// `path` made absolute against `working_directory` and tidied, "." and ".." taken
// out by their spelling alone ("./a/../b.enc" -> "<working_directory>/b.enc"): the
// name a folder list would show, and one spelling for two names of one path, even
// before the file exists. Links are not followed.
std::string AbsolutePath(const std::string& path, const std::string& working_directory);

}  // namespace marrowlock
