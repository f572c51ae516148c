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
  // Paths compare exactly on Linux.
  EXPECT_EQ(BareName("/Home/U/a.txt", "/home/u"), "/Home/U/a.txt");
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

}  // namespace
}  // namespace marrowlock
