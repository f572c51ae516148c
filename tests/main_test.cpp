// SPDX-License-Identifier: MIT
// The program itself: it loads its window from a module only when it opens a window,
// and says plainly when no window can be opened.

#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/display_probe.h"
#include "support/fake_display.h"
#include "support/posix_only.h"
#include "support/program_run.h"
#include "support/temp_dir.h"

namespace marrowlock {
namespace {

// The program with `environment` changed, in the test's folder; a window run that is
// still waiting for the user after `timeout_seconds` is ended and counted as hung.
[[maybe_unused]] ProgramResult RunProgram(const std::vector<std::string>& environment,
                                          const std::vector<std::string>& args = {},
                                          double timeout_seconds = 20) {
  ProgramRun run;
  run.program = MARROWLOCK_BINARY;
  run.args = args;
  run.environment = environment;
  run.timeout_seconds = timeout_seconds;
  return RunToEnd(run);
}

TEST(MainTest, TheProgramItselfLinksNoQtSoBatchRunsNeedNone) {
  MARROWLOCK_POSIX_ONLY(kDisplayServer);
#ifndef _WIN32
  ProgramRun ldd;
  ldd.program = "/usr/bin/ldd";
  ldd.args = {MARROWLOCK_BINARY};
  std::string libraries = RunToEnd(ldd).out;
  ASSERT_FALSE(libraries.empty());
  EXPECT_EQ(libraries.find("libQt"), std::string::npos) << libraries;
#endif
}

#ifdef MARROWLOCK_GUI
TEST(MainTest, AWindowRunLoadsTheModuleAndWaitsForTheUser) {
  TempDir dir;
  // With no settings the setup dialog opens and waits: the run is still going when
  // it is ended, and nothing was said about the module.
  ProgramResult result = RunProgram({"QT_QPA_PLATFORM=offscreen"}, {}, 3);
  EXPECT_TRUE(result.hung) << result.status;
  EXPECT_EQ(result.err.find("Cannot load"), std::string::npos) << result.err;
}
#endif

TEST(MainTest, WithoutADisplayTheProgramSaysSoAndFails) {
  MARROWLOCK_POSIX_ONLY(kDisplayServer);
#ifndef _WIN32
  TempDir dir;
  ProgramResult result = RunProgram({"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "No display available.\n");
#endif
}

TEST(MainTest, ADisplayThatNamesNoServerIsNoDisplay) {
  MARROWLOCK_POSIX_ONLY(kDisplayServer);
#ifndef _WIN32
  TempDir dir;
  // Qt would abort on either; the program finds out first and says so.
  const std::vector<std::string> no_display = {"DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET",
                                               "QT_QPA_PLATFORM"};
  for (std::vector<std::string> display :
       {std::vector<std::string>{"DISPLAY=:987"},
        std::vector<std::string>{"WAYLAND_DISPLAY=wayland-77", "XDG_RUNTIME_DIR=" + dir.path()}}) {
    SCOPED_TRACE(display.front());
    std::vector<std::string> environment = no_display;
    environment.insert(environment.end(), display.begin(), display.end());
    ProgramResult result = RunProgram(environment);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "No display available.\n");
  }
#endif
}

#ifndef _WIN32
// Environment settings that leave `display` as the only display settings.
std::map<std::string, std::string> OnlyDisplay(const std::map<std::string, std::string>& display) {
  std::map<std::string, std::string> settings = {
      {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"WAYLAND_SOCKET", ""}, {"QT_QPA_PLATFORM", ""}};
  for (const auto& [name, value] : display) settings[name] = value;
  return settings;
}

// Runs the program for a window, in the test's own environment.
ProgramResult RunForWindow(double timeout_seconds = 20) {
  return RunProgram({}, {}, timeout_seconds);
}

ProgramResult RunWithDisplay(const std::map<std::string, std::string>& display) {
  ScopedEnvironment environment(OnlyDisplay(display));
  return RunForWindow();
}

// A display server on a display number that no desktop uses, on its abstract socket
// or its loopback TCP port; `display` is set to its name.
std::unique_ptr<FakeDisplay> FakeX11Server(Greeting greeting, bool tcp, std::string& display) {
  for (int n = 700 + static_cast<int>(::getpid() % 300); n < 4000; n += 37) {
    auto server = tcp ? FakeDisplay::Tcp(6000 + n, greeting)
                      : FakeDisplay::Unix("/tmp/.X11-unix/X" + std::to_string(n), true, greeting);
    if (!server->listening()) continue;
    display = (tcp ? "127.0.0.1:" : ":") + std::to_string(n);
    return server;
  }
  return nullptr;
}
#endif

TEST(MainTest, ADisplayThatDoesNotTakeTheProgramIsNoDisplayAndSaidSoAtOnce) {
  MARROWLOCK_POSIX_ONLY(kDisplayServer);
#ifndef _WIN32
  TempDir dir;
  WriteFile(dir / "authority",
            XAuthorityEntry(kFamilyWild, "", "", "MIT-MAGIC-COOKIE-1", "a-stale-cookie!!"));
  struct Row {
    const char* what;
    Greeting greeting;
    bool tcp = false;
    const char* screen = "";
  };
  const Row rows[] = {
      {"a socket that never answers", Greeting::kSilent},
      {"a TCP port that never answers", Greeting::kSilent, true},
      {"a server that hangs up", Greeting::kHangUp},
      {"a server that refuses the cookie", Greeting::kAccept},
      {"a server that asks for more authentication", Greeting::kAuthenticate, true},
      {"a screen that is not a number", Greeting::kAccept, false, ".abc"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::string display;
    auto server = FakeX11Server(row.greeting, row.tcp, display);
    ASSERT_TRUE(server);
    if (row.screen[0] == '\0') server->RequireCookie("the-right-cookie");
    const auto start = std::chrono::steady_clock::now();
    ProgramResult result =
        RunWithDisplay({{"DISPLAY", display + row.screen}, {"XAUTHORITY", dir / "authority"}});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_FALSE(result.hung);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "No display available.\n");
  }
#endif
}

TEST(MainTest, AWaylandCompositorWithoutItsPlatformPluginIsNoDisplay) {
  MARROWLOCK_POSIX_ONLY(kDisplayServer);
#ifndef _WIN32
  if (PlatformPluginInstalled("wayland")) GTEST_SKIP() << "the Wayland plugin is installed";
  TempDir dir;
  auto compositor = FakeDisplay::Unix(dir / "wayland-9", false, Greeting::kWayland);
  ASSERT_TRUE(compositor->listening());
  ASSERT_TRUE(WaylandDisplayAnswers("wayland-9", dir.path()));
  const auto start = std::chrono::steady_clock::now();
  ProgramResult result =
      RunWithDisplay({{"WAYLAND_DISPLAY", "wayland-9"}, {"XDG_RUNTIME_DIR", dir.path()}});
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "No display available.\n");
#endif
}

#ifdef MARROWLOCK_GUI
// An Xvfb server that lets in only the clients that show the cookie in `authority`.
class Xvfb {
 public:
  explicit Xvfb(const std::string& authority) {
    int ready[2];
    if (::access("/usr/bin/Xvfb", X_OK) != 0 || ::pipe(ready) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(ready[0]);
      const std::string fd = std::to_string(ready[1]);
      ::execl("/usr/bin/Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-auth", authority.c_str(),
              "-nolisten", "tcp", "-noreset", "-screen", "0", "800x600x24",
              static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(ready[1]);
    // Xvfb writes its display number once it takes clients.
    FILE* in = ::fdopen(ready[0], "r");
    int number = -1;
    if (in != nullptr && std::fscanf(in, "%d", &number) == 1)
      display_ = ":" + std::to_string(number);
    if (in != nullptr) std::fclose(in);
  }
  ~Xvfb() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
  }
  const std::string& display() const { return display_; }  // "" when it did not start

 private:
  pid_t pid_ = -1;
  std::string display_;
};

TEST(MainTest, ARealXServerOpensTheWindowForTheRightCookieOnly) {
  TempDir dir;
  const std::string cookie = "0123456789abcdef";
  WriteFile(dir / "authority", XAuthorityEntry(kFamilyWild, "", "", "MIT-MAGIC-COOKIE-1", cookie));
  WriteFile(dir / "stale",
            XAuthorityEntry(kFamilyWild, "", "", "MIT-MAGIC-COOKIE-1", "fedcba9876543210"));
  Xvfb server(dir / "authority");
  if (server.display().empty()) GTEST_SKIP() << "Xvfb did not start";

  // The setup dialog opens and waits for the user: the run is still going when it is
  // ended, with a window of its own on the screen. The server keeps running between
  // clients (-noreset): by default it resets each time the searches below leave it
  // alone, and on a loaded machine a reset can outlast the program's wait for an answer.
  ScopedEnvironment environment(
      OnlyDisplay({{"DISPLAY", server.display()}, {"XAUTHORITY", dir / "authority"}}));
  bool window_seen = false;
  std::thread look([&] {
    // Asked again and again: a search fails when a window goes while it looks.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!window_seen && std::chrono::steady_clock::now() < until) {
      window_seen = std::system("xdotool search --onlyvisible --name . >/dev/null 2>&1") == 0;
      if (!window_seen) std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
  });
  ProgramResult opened = RunForWindow(11);
  look.join();
  EXPECT_TRUE(opened.hung) << opened.err;
  EXPECT_TRUE(window_seen);
  EXPECT_EQ(opened.err.find("No display"), std::string::npos) << opened.err;

  ScopedEnvironment stale({{"XAUTHORITY", dir / "stale"}});
  ProgramResult refused = RunForWindow();
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, "No display available.\n");
}

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
  ProgramResult result = RunProgram({"QT_QPA_PLATFORM=offscreen"}, {"-reverse"}, 4);
  EXPECT_TRUE(result.hung) << result.err;
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
#elif !defined(MARROWLOCK_WIN32_WINDOW)
TEST(MainTest, ABuildWithoutTheWindowSaysSo) {
  TempDir dir;
  for (std::vector<std::string> args : {std::vector<std::string>{}, {"--open", "my -ideas.enc"}}) {
    SCOPED_TRACE(args.empty() ? "no arguments" : "--open");
    ProgramResult result = RunProgram({"QT_QPA_PLATFORM=offscreen"}, args);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "This build has no window; add -i to run in batch mode.\n");
  }
}
#endif

}  // namespace
}  // namespace marrowlock
