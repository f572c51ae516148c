// The program loads its window from a module only when it opens a window.

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

TEST(WindowModuleTest, TheProgramItselfLinksNoQtSoBatchRunsNeedNone) {
  std::string libraries = Output(std::string("ldd ") + MARROWLOCK_BINARY);
  ASSERT_FALSE(libraries.empty());
  EXPECT_EQ(libraries.find("libQt"), std::string::npos) << libraries;
}

TEST(WindowModuleTest, AWindowRunLoadsTheModuleAndWaitsForTheUser) {
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

}  // namespace
}  // namespace marrowlock
