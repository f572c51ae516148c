// SPDX-License-Identifier: MIT
#include "state/held_data.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "support/temp_dir.h"

namespace marrowlock {
namespace {

std::string WrittenOut(const HeldData& held, const std::string& path) {
  File out = File::Create(path);
  held.WriteTo(out);
  out.Close();
  return ReadFile(path);
}

TEST(HeldDataTest, AFileBackedResultSurvivesItsWorkingFileBeingReplacedOrRenamed) {
  TempDir dir;
  WriteFile("default.dec", "decrypted bytes");
  HeldData held;
  held.BackByFile(File::OpenRead("default.dec"));
  held.GrowBacked(9);

  // Another run in the same folder replaces the working file with its own result.
  std::remove("default.dec");
  WriteFile("default.dec", "someone else's result");
  EXPECT_EQ(WrittenOut(held, "a.dec"), "decrypted");

  std::rename("default.dec", "moved.dec");
  EXPECT_EQ(WrittenOut(held, "b.dec"), "decrypted");
}

TEST(HeldDataTest, MemoryDataIsWrittenAsAppendedAndClearForgetsTheBackingFile) {
  TempDir dir;
  HeldData held;
  held.Append("ab");
  held.Append(std::string("\0c", 2));
  EXPECT_EQ(held.size(), 4);
  EXPECT_EQ(WrittenOut(held, "m.dec"), std::string("ab\0c", 4));

  WriteFile("default.dec", "xyz");
  held.BackByFile(File::OpenRead("default.dec"));
  EXPECT_TRUE(held.empty());
  held.clear();
  EXPECT_FALSE(held.IsFileBacked());
}

}  // namespace
}  // namespace marrowlock
