// SPDX-License-Identifier: MIT
#include "state/held_data.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "support/posix_only.h"
#include "support/temp_dir.h"

namespace marrowlock {
namespace {

std::string WrittenOut(const HeldData& held, const std::string& path) {
  File out = File::Create(path);
  held.WriteTo(out);
  out.Close();
  return ReadFile(path);
}

TEST(HeldDataTest, AFileBackedResultSurvivesItsFileBeingReplacedOrRenamed) {
  MARROWLOCK_NOT_UNDER_WINE(
      "a file deleted while open keeps its name until it is closed, and a file made "
      "at that name is the same file");
  TempDir dir;
  WriteFile("result.dec", "decrypted bytes");
  HeldData held;
  held.BackByFile(File::OpenRead("result.dec"));
  held.GrowBacked(9);

  // Something else is put at the name the result had.
  std::remove("result.dec");
  WriteFile("result.dec", "someone else's result");
  EXPECT_EQ(WrittenOut(held, "a.dec"), "decrypted");

  std::rename("result.dec", "moved.dec");
  EXPECT_EQ(WrittenOut(held, "b.dec"), "decrypted");
}

TEST(HeldDataTest, MemoryDataIsWrittenAsAppendedAndClearForgetsTheBackingFile) {
  TempDir dir;
  HeldData held;
  held.Append("ab");
  held.Append(std::string("\0c", 2));
  EXPECT_EQ(held.size(), 4);
  EXPECT_EQ(WrittenOut(held, "m.dec"), std::string("ab\0c", 4));

  WriteFile("result.dec", "xyz");
  held.BackByFile(File::OpenRead("result.dec"));
  EXPECT_TRUE(held.empty());
  held.clear();
  EXPECT_FALSE(held.IsFileBacked());
}

}  // namespace
}  // namespace marrowlock
