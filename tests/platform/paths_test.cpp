// SPDX-License-Identifier: MIT
#include "platform/paths.h"

#include <gtest/gtest.h>

namespace marrowlock {
namespace {

TEST(BareNameTest, ShortensOnlyPathsInTheWorkingDirectory) {
  EXPECT_EQ(BareName("/home/u/a.txt", "/home/u"), "a.txt");
  EXPECT_EQ(BareName("/home/u/sub/a.txt", "/home/u"), "/home/u/sub/a.txt");
  EXPECT_EQ(BareName("/home/uu/a.txt", "/home/u"), "/home/uu/a.txt");
  EXPECT_EQ(BareName("a.txt", "/home/u"), "a.txt");
  // Paths compare exactly on Linux, without regard to case on Windows.
  EXPECT_EQ(BareName("/Home/U/a.txt", "/home/u"), NamesIgnoreCase() ? "a.txt" : "/Home/U/a.txt");
  // The root keeps its quirk: the folder part of "/a.txt" is "", not "/".
  EXPECT_EQ(BareName("/a.txt", "/"), "/a.txt");
}

TEST(PathPartsTest, SplitsAtTheLastSlash) {
  EXPECT_EQ(FileNamePart("/a.b/c"), "c");
  EXPECT_EQ(FolderPart("/a.b/c"), "/a.b/");
  EXPECT_EQ(FileNamePart("c"), "c");
  EXPECT_EQ(FolderPart("c"), "");
  EXPECT_EQ(AsciiLower("AbC.ENC\xC9"), "abc.enc\xC9");
}

// Batch mode shows typed key names this way, and marrowlock-cli compares its outputs'
// names by it, so two spellings of one name must meet and two names must not.
TEST(AbsolutePathTest, JoinsRelativeNamesAndTidiesBySpellingAlone) {
  struct Case {
    const char* path;
    const char* working_directory;
    const char* absolute;
  };
  const Case cases[] = {
      {"b.enc", "/home/u", "/home/u/b.enc"},
      {"./a/../b.enc", "/home/u", "/home/u/b.enc"},
      {"../v/k.mlk", "/home/u", "/home/v/k.mlk"},
      {"/x//y/./z.enc", "/home/u", "/x/y/z.enc"},
      {"/../../z", "/home/u", "/z"},
      {"../../../z", "/home/u", "/z"},
      {"sub/", "/home/u", "/home/u/sub/"},
      {"a b/.hidden", "/", "/a b/.hidden"},
      {"a", "/home/u/", "/home/u/a"},
  };
  for (const Case& c : cases) {
    // Spelt with the system's own separator (on Windows '\\').
    std::string absolute = c.absolute;
    for (char& ch : absolute) ch = ch == '/' ? JoinPath("x", "y")[1] : ch;
    EXPECT_EQ(AbsolutePath(c.path, c.working_directory), absolute)
        << c.path << " in " << c.working_directory;
  }
  EXPECT_NE(AbsolutePath("b.enc", "/home/u"), AbsolutePath("B.enc", "/home/u"))
      << "names compare exactly on Linux";
}

}  // namespace
}  // namespace marrowlock
