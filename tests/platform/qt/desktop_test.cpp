#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "support/temp_dir.h"

namespace marrowlock {
namespace {

TEST(Desktop, WithoutADisplayTheProgramSaysSoAndFails) {
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
