// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace marrowlock {

// Paths are UTF-8. The separator is '/'; on Windows '\' as well, and a path may
// begin with a drive ("C:") or a network name ("\\server\share").

// True for a character that separates a path's parts.
bool IsSeparator(char c);
// True for a path that does not depend on the current folder: "/keys/a.mlk"; on
// Windows also "C:\keys\a.mlk", "\\server\share\a.mlk" and "\keys\a.mlk".
bool IsAbsolutePath(std::string_view path);
// The length of the part of `path` that names its root ("/", "C:\",
// "\\server\share\"), 0 for a relative path.
size_t RootLength(std::string_view path);
// `name` in `folder`, with one separator between them (the system's own).
std::string JoinPath(const std::string& folder, const std::string& name);

// The bare-name rule: a path whose folder part (everything before its last
// separator) is exactly `working_directory` is shortened to the part after that
// separator. Any other path, and a name without a separator, is returned unchanged.
// With the working directory "/", the folder part of "/a.txt" is "", which differs,
// so the path stays whole. On Windows both separators count as one and letters are
// compared without regard to case, as NTFS compares names.
std::string BareName(const std::string& path, const std::string& working_directory);

// The file-name part of a path: everything after its last separator (or after its
// drive, "C:a.txt").
std::string FileNamePart(const std::string& path);
// The folder part with its trailing separator: everything up to and including the
// last separator ("" when there is none).
std::string FolderPart(const std::string& path);

// True where the file system compares names without regard to case (NTFS, so
// "LEDGER.ENC" is the same file as "ledger.enc"), false where it does not.
bool NamesIgnoreCase();
// `name` spelt as the file system compares names: where names ignore case, with
// every letter in the one case the file system folds it to (not only ASCII: "ÉTÉ.ENC"
// is "été.enc" on NTFS), else unchanged. Two names of one folder lead to one file
// exactly when these spellings are equal.
std::string NameAsCompared(const std::string& name);

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
