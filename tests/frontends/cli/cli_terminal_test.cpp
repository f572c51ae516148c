// SPDX-License-Identifier: MIT
// marrowlock-cli with a terminal on its standard output or standard error: encrypted
// data is not written to a terminal, and the progress bar is drawn only there.

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <thread>

#include "frontends/cli/cli_fixture.h"
#include "support/posix_only.h"

namespace marrowlock {
namespace {

#ifndef _WIN32
struct TerminalRun {
  int status = -1;
  std::string terminal;  // everything the program wrote to the terminal
};

// Runs marrowlock-cli with a new pseudo-terminal as its standard error, and as its
// standard output too unless `out_file` names a file for it. Standard input is a pipe
// that receives `first`, then, `pause` later, `rest`.
TerminalRun RunOnTerminal(const std::string& folder, const std::vector<std::string>& args,
                          const std::string& out_file, const std::string& first,
                          std::chrono::milliseconds pause = {}, const std::string& rest = "") {
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
    ADD_FAILURE() << "no pseudo-terminal";
    return {};
  }
  const std::string slave_name = ::ptsname(master);
  int input[2];
  if (::pipe(input) != 0) return {};
  std::vector<const char*> argv = {MARROWLOCK_CLI_BINARY};
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  argv.push_back(nullptr);

  const pid_t child = ::fork();
  if (child == 0) {
    ::setsid();
    const int slave = ::open(slave_name.c_str(), O_RDWR);
    const int out =
        out_file.empty() ? slave : ::open(out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (slave < 0 || out < 0 || ::chdir(folder.c_str()) != 0) ::_exit(126);
    ::dup2(input[0], 0);
    ::dup2(out, 1);
    ::dup2(slave, 2);
    ::close(input[1]);
    ::execv(argv[0], const_cast<char* const*>(argv.data()));
    ::_exit(127);
  }
  ::close(input[0]);
  ::signal(SIGPIPE, SIG_IGN);
  TerminalRun result;
  std::thread feeder([&] {
    if (::write(input[1], first.data(), first.size()) < 0) {
    }
    std::this_thread::sleep_for(pause);
    if (::write(input[1], rest.data(), rest.size()) < 0) {
    }
    ::close(input[1]);
  });
  // Read the terminal until every writer has closed it.
  char buffer[4096];
  for (;;) {
    pollfd wait{master, POLLIN, 0};
    if (::poll(&wait, 1, 30000) <= 0) break;
    const ssize_t got = ::read(master, buffer, sizeof buffer);
    if (got <= 0) break;
    result.terminal.append(buffer, static_cast<size_t>(got));
  }
  feeder.join();
  int raw = 0;
  ::waitpid(child, &raw, 0);
  ::close(master);
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  return result;
}
#endif

TEST_F(CliTest, EncryptedDataGoesToATerminalOnlyWithForce) {
  MARROWLOCK_POSIX_ONLY(kTerminal);
#ifndef _WIN32
  MakeKey("k.mlk", 16);
  TerminalRun refused = RunOnTerminal(folder, {"encrypt", "-k", "k.mlk"}, "", "secret words");
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.terminal.find("marrowlock-cli: will not write encrypted data to a terminal; "
                                  "redirect standard output, or use -f"),
            std::string::npos)
      << refused.terminal;

  TerminalRun forced = RunOnTerminal(folder, {"encrypt", "-f", "-k", "k.mlk"}, "", "secret words");
  EXPECT_EQ(forced.status, 0);
  EXPECT_EQ(forced.terminal.find("marrowlock-cli"), std::string::npos) << forced.terminal;

  // Decrypted data may be read on the terminal, as cat would show it.
  const std::string cipher = Cli({"encrypt", "-k", "k.mlk"}, "plain words!").out;
  TerminalRun shown = RunOnTerminal(folder, {"decrypt", "-k", "k.mlk"}, "", cipher);
  EXPECT_EQ(shown.status, 0);
  EXPECT_NE(shown.terminal.find("plain words!"), std::string::npos);
#endif
}

TEST_F(CliTest, TheProgressBarAppearsOnATerminalAfterASecondAndIsErased) {
  MARROWLOCK_POSIX_ONLY(kTerminal);
#ifndef _WIN32
  MakeKey("k.mlk", 16);
  const std::string first = SomeBytes(size_t{3} << 20, 1);
  const std::string rest = SomeBytes(size_t{1} << 20, 2);
  const auto pause = std::chrono::milliseconds(1600);

  TerminalRun slow =
      RunOnTerminal(folder, {"encrypt", "-k", "k.mlk"}, dir / "out.enc", first, pause, rest);
  EXPECT_EQ(slow.status, 0);
  // A stream's length is unknown: bytes and rate, redrawn in place.
  EXPECT_TRUE(slow.terminal.starts_with("\r")) << slow.terminal;
  EXPECT_NE(slow.terminal.find(" MiB/s\x1b[K"), std::string::npos) << slow.terminal;
  EXPECT_TRUE(slow.terminal.ends_with("\r\x1b[K")) << "erased at the end";
  EXPECT_EQ(ReadFile(dir / "out.enc"), Cli({"encrypt", "-k", "k.mlk"}, first + rest).out);

  TerminalRun quiet =
      RunOnTerminal(folder, {"encrypt", "-q", "-k", "k.mlk"}, dir / "out.enc", first, pause, rest);
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.terminal, "");

  TerminalRun quick = RunOnTerminal(folder, {"encrypt", "-k", "k.mlk"}, dir / "out.enc", first);
  EXPECT_EQ(quick.status, 0);
  EXPECT_EQ(quick.terminal, "") << "nothing for work done within a second";
#endif
}

}  // namespace
}  // namespace marrowlock
