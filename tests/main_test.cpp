// SPDX-License-Identifier: MIT
// The program itself: it loads its window from a module only when it opens a window,
// and says plainly when no window can be opened.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace marrowlock {
namespace {

std::string Output(const std::string& command) {
  std::string text;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return text;
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0) text.append(buffer, got);
  ::pclose(pipe);
  return text;
}

TEST(MainTest, TheProgramItselfLinksNoQtSoBatchRunsNeedNone) {
  std::string libraries = Output(std::string("ldd ") + MARROWLOCK_BINARY);
  ASSERT_FALSE(libraries.empty());
  EXPECT_EQ(libraries.find("libQt"), std::string::npos) << libraries;
}

TEST(MainTest, AWindowRunLoadsTheModuleAndWaitsForTheUser) {
  TempDir dir;
  // With no settings the setup dialog opens and waits: the run is still going when
  // `timeout` ends it, and nothing was said about the module.
  std::string command = std::string("QT_QPA_PLATFORM=offscreen timeout 3 ") + MARROWLOCK_BINARY +
                        " </dev/null >/dev/null 2>" + (dir / "err.txt");
  int raw = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), 124);
  EXPECT_EQ(ReadFile(dir / "err.txt").find("Cannot load"), std::string::npos)
      << ReadFile(dir / "err.txt");
}

TEST(MainTest, WithoutADisplayTheProgramSaysSoAndFails) {
  TempDir dir;
  std::string command = std::string("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '") +
                        MARROWLOCK_BINARY + "' 2>'" + (dir / "err.txt") + "' </dev/null";
  int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(ReadFile(dir / "err.txt"), "No display available.\n");
}

TEST(MainTest, ADisplayThatNamesNoServerIsNoDisplay) {
  TempDir dir;
  // Qt would abort on either; the program finds out first and says so.
  for (std::string display : {std::string("DISPLAY=:987"),
                              "WAYLAND_DISPLAY=wayland-77 XDG_RUNTIME_DIR='" + dir.path() + "'"}) {
    SCOPED_TRACE(display);
    std::string command =
        "env -u DISPLAY -u WAYLAND_DISPLAY -u WAYLAND_SOCKET -u QT_QPA_PLATFORM " + display + " '" +
        MARROWLOCK_BINARY + "' 2>'" + (dir / "err.txt") + "' </dev/null";
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(ReadFile(dir / "err.txt"), "No display available.\n");
  }
}

TEST(MainTest, TheWindowTakesNoOptionsOfQtFromTheCommandLine) {
  TempDir dir;
  // Settings whose default key is a two-byte-block key in the test folder.
  std::filesystem::create_directories(dir.home());
  const std::string folder = dir.path();
  WriteFile(dir.home() + "/mlinfo.dat",
            std::string(1, static_cast<char>(folder.size())) + folder + '\x05' + "k.mlk");
  WriteFile(dir / "k.mlk", std::string("\x00\x03\xAA\xAB", 4));
  WriteFile(dir / "-reverse", "abcd");
  // "-reverse" names the file to encrypt; the window then waits for the user.
  std::string command = std::string("QT_QPA_PLATFORM=offscreen timeout 4 '") + MARROWLOCK_BINARY +
                        "' -reverse </dev/null >/dev/null 2>'" + (dir / "err.txt") + "'";
  int raw = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), 124) << ReadFile(dir / "err.txt");
  ASSERT_TRUE(FileExists(dir / "-reverse.enc"));
  EXPECT_EQ(ReadFile(dir / "-reverse.enc"), "\x24\x26\x2a\x2c");
}

}  // namespace
}  // namespace marrowlock
