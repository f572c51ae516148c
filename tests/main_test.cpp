// SPDX-License-Identifier: MIT
// The program itself: it loads its window from a module only when it opens a window,
// and says plainly when no window can be opened.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

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

#ifdef MARROWLOCK_GUI
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
#endif

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

#ifdef MARROWLOCK_GUI
// Settings whose default key is a two-byte-block key in the test folder, under which
// "abcd" and "\x24\x26\x2a\x2c" are each other's encryption.
void WriteTwoByteKeySettings(const TempDir& dir) {
  std::filesystem::create_directories(dir.home());
  const std::string folder = dir.path();
  WriteFile(dir.home() + "/mlinfo.dat",
            std::string(1, static_cast<char>(folder.size())) + folder + '\x05' + "k.mlk");
  WriteFile(dir / "k.mlk", std::string("\x00\x03\xAA\xAB", 4));
}

TEST(MainTest, TheWindowTakesNoOptionsOfQtFromTheCommandLine) {
  TempDir dir;
  WriteTwoByteKeySettings(dir);
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

// The desktop entry's "--open FILE": the name is never read as options, so a file
// whose name holds " -i" or " -o" is opened in the window like any other, and the
// window (not a batch run that reports only on standard error) handles it.
TEST(MainTest, OpenTakesTheFileNameAsItIsAndAlwaysUsesTheWindow) {
  TempDir dir;
  WriteTwoByteKeySettings(dir);
  struct Case {
    std::string name;
    std::string content;
    std::string output;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"my -ideas.enc", "\x24\x26\x2a\x2c", "my -ideas.dec", "abcd"},
      {"plan -old.txt", "abcd", "plan -old.enc", "\x24\x26\x2a\x2c"},
      {"x -kother -oy", "abcd", "x -kother -oy.enc", "\x24\x26\x2a\x2c"},
      {"", "", "", ""},  // --open alone: the window, on nothing
  };
  // Each in a folder of its own, all at once: every window waits for the user
  // until `timeout` ends it.
  std::string script;
  for (size_t i = 0; i < cases.size(); ++i) {
    const std::string folder = dir / std::to_string(i);
    std::filesystem::create_directories(folder);
    std::string args = " --open";
    if (!cases[i].name.empty()) {
      WriteFile(folder + "/" + cases[i].name, cases[i].content);
      args += " '" + cases[i].name + "'";
    }
    script += "(cd '" + folder + "' && QT_QPA_PLATFORM=offscreen timeout 5 '" + MARROWLOCK_BINARY +
              "'" + args + " </dev/null >/dev/null 2>err.txt; echo $? >status) &\n";
  }
  script += "wait\n";
  ASSERT_EQ(std::system(script.c_str()), 0);
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].name);
    const std::string folder = dir / std::to_string(i);
    EXPECT_EQ(ReadFile(folder + "/status"), "124\n") << ReadFile(folder + "/err.txt");
    EXPECT_EQ(ReadFile(folder + "/err.txt").find("marlk:"), std::string::npos)
        << "a batch run: " << ReadFile(folder + "/err.txt");
    if (cases[i].output.empty()) continue;
    ASSERT_TRUE(FileExists(folder + "/" + cases[i].output));
    EXPECT_EQ(ReadFile(folder + "/" + cases[i].output), cases[i].expected);
  }
}

TEST(MainTest, OpenTakesOneFileNameAtMost) {
  TempDir dir;
  std::string command = std::string("'") + MARROWLOCK_BINARY + "' --open a.enc b.enc 2>'" +
                        (dir / "err.txt") + "' </dev/null";
  int raw = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), 1);
  EXPECT_EQ(ReadFile(dir / "err.txt"),
            "marrowlock: --open takes one file name; see marrowlock --help.\n");
}
#else
TEST(MainTest, ABuildWithoutTheWindowSaysSo) {
  TempDir dir;
  for (std::string args : {"", " --open 'my -ideas.enc'"}) {
    SCOPED_TRACE(args);
    std::string command = std::string("QT_QPA_PLATFORM=offscreen '") + MARROWLOCK_BINARY + "'" +
                          args + " 2>'" + (dir / "err.txt") + "' </dev/null";
    int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 1);
    EXPECT_EQ(ReadFile(dir / "err.txt"),
              "This build of marrowlock has no window; use -i for batch mode.\n");
  }
}
#endif

}  // namespace
}  // namespace marrowlock
