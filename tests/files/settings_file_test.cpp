// SPDX-License-Identifier: MIT
#include "files/settings_file.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/file_system.h"
#include "platform/system_paths.h"
#include "support/environment.h"
#include "support/temp_dir.h"

namespace marrowlock {
namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
}

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override { EnsureSystemFolder(); }
  TempDir dir;
};

TEST_F(SettingsFileTest, WritesTheTwentyByteLayoutAndReadsItBack) {
  WriteSettingsFile("c:/keys", "default.mlk");
  EXPECT_EQ(ReadFile(SettingsFilePath()), Bytes({7}) + "c:/keys" + Bytes({11}) + "default.mlk");

  auto settings = ReadSettingsFile();
  ASSERT_TRUE(settings);
  EXPECT_EQ(settings->KeyDirectory, "c:/keys");
  EXPECT_EQ(settings->DefaultKeyName, "default.mlk");
}

TEST_F(SettingsFileTest, ReadsWhatTheLengthBytesAnnounceAndNothingMore) {
  WriteFile(SettingsFilePath(), Bytes({0, 0}));
  auto empty = ReadSettingsFile();
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->KeyDirectory, "");
  EXPECT_EQ(empty->DefaultKeyName, "");

  WriteFile(SettingsFilePath(), Bytes({2}) + "/k" + Bytes({3}) + "a.b" + "trailing junk");
  auto trailing = ReadSettingsFile();
  ASSERT_TRUE(trailing);
  EXPECT_EQ(trailing->KeyDirectory, "/k");
  EXPECT_EQ(trailing->DefaultKeyName, "a.b");

  // All 255 bytes of a maximal string survive, including the byte values above 127.
  std::string high(255, '\xe9');
  WriteSettingsFile(high, "k.mlk");
  EXPECT_EQ(ReadSettingsFile()->KeyDirectory, high);
}

TEST_F(SettingsFileTest, MissingEmptyOrShortFilesAreNoSettings) {
  EXPECT_FALSE(ReadSettingsFile());
  EXPECT_FALSE(FileExists(SettingsFilePath())) << "looking must not create the file";

  WriteFile(SettingsFilePath(), "");
  EXPECT_FALSE(ReadSettingsFile());

  for (const std::string& cut :
       {Bytes({5}) + "/ab", Bytes({2}) + "/k", Bytes({2}) + "/k" + Bytes({4}) + "a.m"}) {
    WriteFile(SettingsFilePath(), cut);
    EXPECT_FALSE(ReadSettingsFile());
    EXPECT_EQ(ReadFile(SettingsFilePath()), cut) << "a short file is kept as it is";
  }
}

TEST_F(SettingsFileTest, ASettingsPathThatIsAFolderIsNoSettingsAndIsLeftAlone) {
  ASSERT_TRUE(MakeFolder(SettingsFilePath(), 0755));
  EXPECT_FALSE(ReadSettingsFile());
  RemoveEmptySettingsFile();
  EXPECT_TRUE(IsDirectory(SettingsFilePath()));
}

TEST_F(SettingsFileTest, RefusesStringsTheLengthByteCannotHoldAndKeepsTheOldFile) {
  WriteSettingsFile("/keys", "old.mlk");
  std::string before = ReadFile(SettingsFilePath());
  EXPECT_THROW(WriteSettingsFile(std::string(256, 'd'), "k.mlk"), FileError);
  EXPECT_THROW(WriteSettingsFile("/keys", std::string(256, 'n')), FileError);
  EXPECT_EQ(ReadFile(SettingsFilePath()), before);
}

TEST_F(SettingsFileTest, RemoveEmptySettingsFileDeletesOnlyAnEmptyFile) {
  WriteFile(SettingsFilePath(), Bytes({0, 0}));
  RemoveEmptySettingsFile();
  EXPECT_TRUE(FileExists(SettingsFilePath()));
  WriteFile(SettingsFilePath(), "");
  RemoveEmptySettingsFile();
  EXPECT_FALSE(FileExists(SettingsFilePath()));
}

TEST_F(SettingsFileTest, WritingCreatesTheSystemFolder) {
  SetEnvironment("MARROWLOCK_HOME", dir / "new/home");
  WriteSettingsFile("/k", "k.mlk");
  EXPECT_TRUE(FileExists(dir / "new/home/mlinfo.dat"));
}

}  // namespace
}  // namespace marrowlock
