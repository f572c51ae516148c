// SPDX-License-Identifier: MIT
// Hidden temporaries do not outlive the program: SIGINT, SIGTERM and SIGHUP remove
// them before the signal ends it. SIGKILL cannot be caught; a file without a name
// (O_TMPFILE) leaves nothing even then. Windows's console events have their tests
// with the programs (cli_windows_test.cpp).

#include "platform/temporary_names.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <thread>

#include "platform/file_system.h"
#include "platform/output_file.h"
#include "support/posix_only.h"
#include "support/temp_dir.h"

namespace marrowlock {
namespace {

#ifndef _WIN32
std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) {
    names.push_back(e.path().filename().string());
  }
  return names;
}

// Starts a child that makes an output file in the working directory, writes to it
// and waits, its cleanup handlers installed; returns once the file exists.
pid_t StartWriter(bool hidden_names) {
  int ready[2];
  if (::pipe(ready) != 0) return -1;
  pid_t child = ::fork();
  if (child == 0) {
    ::close(ready[0]);
    AvoidUnnamedTemporaries(hidden_names);
    RemoveTemporariesOnSignals();
    OutputFile out("out.bin", Access::kPrivate);
    out.file().Write("half of the plaintext");
    ::write(ready[1], "x", 1);
    for (;;) ::pause();
  }
  ::close(ready[1]);
  char byte;
  ::read(ready[0], &byte, 1);
  ::close(ready[0]);
  return child;
}

int KillAndWait(pid_t child, int signal_number) {
  ::kill(child, signal_number);
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFSIGNALED(status) ? WTERMSIG(status) : -1;
}
#endif

TEST(TemporaryNamesTest, CaughtSignalsRemoveHiddenTemporariesAndStillEndTheProgram) {
  MARROWLOCK_POSIX_ONLY(kSignals);
#ifndef _WIN32
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(strsignal(signal_number));
    TempDir dir;
    pid_t child = StartWriter(true);
    ASSERT_GT(child, 0);
    ASSERT_EQ(Entries(dir.path()).size(), 1u);
    EXPECT_EQ(Entries(dir.path())[0].rfind(".mlk-", 0), 0u);
    EXPECT_EQ(KillAndWait(child, signal_number), signal_number) << "ended by the signal";
    EXPECT_TRUE(Entries(dir.path()).empty());
  }
#endif
}

TEST(TemporaryNamesTest, SigkillLeavesAHiddenNameOnlyWhereTheFileHadToHaveOne) {
  MARROWLOCK_POSIX_ONLY(kSignals);
#ifndef _WIN32
  TempDir dir;
  pid_t child = StartWriter(true);
  EXPECT_EQ(KillAndWait(child, SIGKILL), SIGKILL);
  std::vector<std::string> left = Entries(dir.path());
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].size(), 11u) << ".mlk- and six characters: " << left[0];
  std::filesystem::remove(left[0]);

  child = StartWriter(false);
  EXPECT_EQ(KillAndWait(child, SIGKILL), SIGKILL);
#if MARROWLOCK_LINUX_FEATURES
  EXPECT_TRUE(Entries(dir.path()).empty()) << "a file without a name goes with the process";
#else
  EXPECT_EQ(Entries(dir.path()).size(), 1u) << "without O_TMPFILE every file has a hidden name";
#endif
#endif
}

// A program with several threads: the signal may reach any of them while another is
// between making a hidden name and registering it. The cleanup waits for that thread,
// so the name it was making is removed too.
TEST(TemporaryNamesTest, ASignalWaitsForAnotherThreadThatIsRegisteringAName) {
  MARROWLOCK_POSIX_ONLY(kSignals);
#ifndef _WIN32
  TempDir dir;
  int entered[2], go_on[2];
  ASSERT_EQ(::pipe(entered), 0);
  ASSERT_EQ(::pipe(go_on), 0);
  pid_t child = ::fork();
  if (child == 0) {
    RemoveTemporariesOnSignals();
    std::thread maker([&] {
      CleanupSignalsBlocked blocked;
      ::write(entered[1], "x", 1);
      char byte;
      ::read(go_on[0], &byte, 1);
      File made = File::CreateExclusive(".mlk-racing", Access::kPrivate);
      RegisterTemporaryName(".mlk-racing");
    });
    // This thread takes the signal: it blocks none of them.
    for (;;) ::pause();
  }
  char byte;
  ASSERT_EQ(::read(entered[0], &byte, 1), 1);
  ::kill(child, SIGTERM);
  ::usleep(200 * 1000);
  int status = 0;
  EXPECT_EQ(::waitpid(child, &status, WNOHANG), 0) << "ended while a name was being made";
  ::write(go_on[1], "x", 1);
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
  EXPECT_TRUE(Entries(dir.path()).empty()) << "left: " << Entries(dir.path()).front();
#endif
}

}  // namespace
}  // namespace marrowlock
