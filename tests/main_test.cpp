// The program itself: it loads its window from a module only when it opens a window,
// and says plainly when no window can be opened.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
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

}  // namespace
}  // namespace marrowlock
