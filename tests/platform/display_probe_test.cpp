// SPDX-License-Identifier: MIT
#include "platform/display_probe.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "support/fake_display.h"
#include "support/posix_only.h"
#include "support/temp_dir.h"

namespace marrowlock {
namespace {

#ifndef _WIN32
using Clock = std::chrono::steady_clock;

// An X server on the abstract socket of a display number that no desktop uses;
// `number` is set to that number.
std::unique_ptr<FakeDisplay> X11ServerOnFreeNumber(Greeting greeting, int& number) {
  for (int n = 40000 + static_cast<int>(::getpid() % 10000); n < 59000; n += 97) {
    auto server = FakeDisplay::Unix("/tmp/.X11-unix/X" + std::to_string(n), true, greeting);
    if (!server->listening()) continue;
    number = n;
    return server;
  }
  return nullptr;
}

// An X server on a loopback TCP port 6000 + `number`.
std::unique_ptr<FakeDisplay> X11ServerOnFreePort(Greeting greeting, int& number) {
  for (int n = 400 + static_cast<int>(::getpid() % 200); n < 2000; n += 31) {
    auto server = FakeDisplay::Tcp(6000 + n, greeting);
    if (!server->listening()) continue;
    number = n;
    return server;
  }
  return nullptr;
}

std::string HostName() {
  char host[256] = {};
  ::gethostname(host, sizeof(host) - 1);
  return host;
}
#endif

TEST(DisplayProbeTest, AnX11DisplayAnswersOnlyWhileItsServerAcceptsUs) {
  MARROWLOCK_POSIX_ONLY(kDisplayServer);
#ifndef _WIN32
  TempDir dir;
  ScopedEnvironment no_cookies({{"XAUTHORITY", dir / "none"}});
  int n = 0;
  auto server = X11ServerOnFreeNumber(Greeting::kAccept, n);
  ASSERT_TRUE(server);
  server->SetScreens(2);
  const std::string display = ":" + std::to_string(n);
  EXPECT_TRUE(X11DisplayAnswers(display));
  EXPECT_TRUE(X11DisplayAnswers(display + ".1"));
  EXPECT_TRUE(X11DisplayAnswers("unix" + display));
  EXPECT_TRUE(X11DisplayAnswers("unix/" + display + ".0"));
  // Names the window system would refuse, though the server is there.
  for (const char* suffix : {".2", ".abc", ".", ".1x", ".-1"}) {
    EXPECT_FALSE(X11DisplayAnswers(display + suffix)) << display + suffix;
  }
  server->Close();
  EXPECT_FALSE(X11DisplayAnswers(display));
#endif
}

TEST(DisplayProbeTest, ARemoteX11DisplayIsReachedOverTcp) {
  MARROWLOCK_POSIX_ONLY(kDisplayServer);
#ifndef _WIN32
  TempDir dir;
  ScopedEnvironment no_cookies({{"XAUTHORITY", dir / "none"}});
  int n = 0;
  auto server = X11ServerOnFreePort(Greeting::kAccept, n);
  if (!server) GTEST_SKIP() << "no free TCP port for a fake display";
  const std::string display = "127.0.0.1:" + std::to_string(n);
  EXPECT_TRUE(X11DisplayAnswers(display + ".0"));
  EXPECT_TRUE(X11DisplayAnswers("tcp/" + display));
  server->Close();
  EXPECT_FALSE(X11DisplayAnswers(display, 500));
#endif
}

TEST(DisplayProbeTest, TheServerIsSentTheCookieRecordedForItsDisplay) {
  MARROWLOCK_POSIX_ONLY(kDisplayServer);
#ifndef _WIN32
  TempDir dir;
  int n = 0;
  auto server = X11ServerOnFreeNumber(Greeting::kAccept, n);
  ASSERT_TRUE(server);
  server->RequireCookie("right-cookie-16b");
  const std::string number = std::to_string(n), host = HostName();
  const std::string cookie = "MIT-MAGIC-COOKIE-1";
  const std::string right = XAuthorityEntry(kFamilyLocal, host, number, cookie, "right-cookie-16b");
  struct Row {
    const char* what;
    std::string file;
    bool answers;
  };
  const Row rows[] = {
      {"the display's entry", right, true},
      {"after entries of another display, host and kind",
       XAuthorityEntry(kFamilyLocal, host, number + "1", cookie, "wrong-display---") +
           XAuthorityEntry(kFamilyLocal, host + "x", number, cookie, "wrong-host------") +
           XAuthorityEntry(0, std::string("\x7f\0\0\1", 4), number, cookie, "wrong-family----") +
           XAuthorityEntry(kFamilyLocal, host, number, "XDM-AUTHORIZATION-1", "wrong-kind------") +
           right,
       true},
      {"an entry for any host",
       XAuthorityEntry(kFamilyWild, "", number, cookie, "right-cookie-16b"), true},
      {"an entry for any display",
       XAuthorityEntry(kFamilyLocal, host, "", cookie, "right-cookie-16b"), true},
      {"only another display's entry",
       XAuthorityEntry(kFamilyLocal, host, number + "1", cookie, "right-cookie-16b"), false},
      {"a cut entry", right.substr(0, right.size() - 1), false},
      {"no entries", "", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    WriteFile(dir / "authority", row.file);
    ScopedEnvironment authority({{"XAUTHORITY", dir / "authority"}});
    EXPECT_EQ(X11DisplayAnswers(":" + number), row.answers);
  }
  // Without XAUTHORITY, the file in the home folder.
  std::filesystem::create_directories(dir / "home");
  WriteFile(dir / "home/.Xauthority", right);
  ScopedEnvironment home({{"XAUTHORITY", ""}, {"HOME", dir / "home"}});
  EXPECT_TRUE(X11DisplayAnswers(":" + number));
  EXPECT_EQ(server->LastCookie(), "right-cookie-16b");
#endif
}

TEST(DisplayProbeTest, ALoopbackServerIsFoundUnderThisMachinesName) {
  MARROWLOCK_POSIX_ONLY(kDisplayServer);
#ifndef _WIN32
  TempDir dir;
  int n = 0;
  auto server = X11ServerOnFreePort(Greeting::kAccept, n);
  if (!server) GTEST_SKIP() << "no free TCP port for a fake display";
  server->RequireCookie("loopback-cookie!");
  WriteFile(dir / "authority", XAuthorityEntry(kFamilyLocal, HostName(), std::to_string(n),
                                               "MIT-MAGIC-COOKIE-1", "loopback-cookie!"));
  ScopedEnvironment authority({{"XAUTHORITY", dir / "authority"}});
  EXPECT_TRUE(X11DisplayAnswers("localhost:" + std::to_string(n)));
#endif
}

TEST(DisplayProbeTest, DisplayNamesThatNameNoServerNeverAnswer) {
  MARROWLOCK_POSIX_ONLY(kDisplayServer);
#ifndef _WIN32
  for (const char* display : {"", "nothing", ":", ":x", ":1x", "host::0", "decnet/:0",
                              "/no/such/socket:0", ":99999999", "bogus/:0"}) {
    EXPECT_FALSE(X11DisplayAnswers(display, 200)) << display;
  }
#endif
}

TEST(DisplayProbeTest, AWaylandDisplayIsACompositorThatAnswersInTheRuntimeFolder) {
  MARROWLOCK_POSIX_ONLY(kDisplayServer);
#ifndef _WIN32
  TempDir dir;
  EXPECT_FALSE(WaylandDisplayAnswers("wayland-77", dir.path()));
  auto server = FakeDisplay::Unix(dir / "wayland-test", false, Greeting::kWayland);
  ASSERT_TRUE(server->listening());
  EXPECT_TRUE(WaylandDisplayAnswers("wayland-test", dir.path()));
  EXPECT_TRUE(WaylandDisplayAnswers(dir / "wayland-test", ""));
  EXPECT_FALSE(WaylandDisplayAnswers("wayland-test", "")) << "no runtime folder, no socket";
  EXPECT_FALSE(WaylandDisplayAnswers("", dir.path()));
  server->Close();
  EXPECT_FALSE(WaylandDisplayAnswers("wayland-test", dir.path())) << "a socket left behind";

  for (Greeting greeting : {Greeting::kSilent, Greeting::kHangUp}) {
    std::filesystem::remove(dir / "wayland-test");
    auto mute = FakeDisplay::Unix(dir / "wayland-test", false, greeting);
    ASSERT_TRUE(mute->listening());
    const auto start = Clock::now();
    EXPECT_FALSE(WaylandDisplayAnswers("wayland-test", dir.path(), 300));
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1000));
  }
#endif
}

TEST(DisplayProbeTest, APlatformPluginIsLookedForWhereTheWindowSystemLooks) {
  MARROWLOCK_POSIX_ONLY(kDisplayServer);
#ifndef _WIN32
  if (PlatformPluginInstalled("no-such-platform")) GTEST_SKIP() << "a build without a window";
  TempDir dir;
  std::filesystem::create_directories(dir / "direct");
  std::filesystem::create_directories(dir / "b/platforms");
  WriteFile(dir / "direct/libqfirst.so", "");
  WriteFile(dir / "b/platforms/libqwayland-generic.so", "");
  ScopedEnvironment empty({{"QT_QPA_PLATFORM_PLUGIN_PATH", ""}, {"QT_PLUGIN_PATH", ""}});
  EXPECT_FALSE(PlatformPluginInstalled("first"));
  EXPECT_TRUE(PlatformPluginInstalled("xcb")) << "Qt's own folder";
  ScopedEnvironment paths({{"QT_QPA_PLATFORM_PLUGIN_PATH", dir / "direct"},
                           {"QT_PLUGIN_PATH", dir / "a:" + dir / "b"}});
  EXPECT_TRUE(PlatformPluginInstalled("first"));
  EXPECT_TRUE(PlatformPluginInstalled("wayland"));
  EXPECT_FALSE(PlatformPluginInstalled("wayland-egl"));
#endif
}

TEST(DisplayProbeTest, TheWindowPlatformIsOneThatAnswersAndCanBeLoaded) {
  MARROWLOCK_POSIX_ONLY(kDisplayServer);
#ifndef _WIN32
  const ReachableDisplays none{false, false}, x11{true, false}, wayland{false, true},
      both{true, true};
  struct Row {
    const char* requested;
    ReachableDisplays reachable;
    std::optional<std::string> platform;
    const char* missing = "";  // the one platform without a plugin
  };
  const Row rows[] = {
      // Nothing asked for: the kind that answers, or Qt's own choice when both do.
      {"", none, std::nullopt},
      {"", x11, "xcb"},
      {"", wayland, "wayland"},
      {"", both, ""},
      // ... as long as its plugin is there.
      {"", wayland, std::nullopt, "wayland"},
      {"", both, "xcb", "wayland"},
      {"", both, "wayland", "xcb"},
      // Asked for: kept when one of the named platforms is usable.
      {"xcb", x11, ""},
      {"xcb", wayland, std::nullopt},
      {"wayland", none, std::nullopt},
      {"wayland-egl", wayland, ""},
      {"wayland-egl", wayland, std::nullopt, "wayland-egl"},
      {"wayland;xcb", x11, ""},
      {"wayland;xcb", both, "", "wayland"},
      {"wayland;xcb", wayland, std::nullopt, "wayland"},
      {"xcb:nograb", none, std::nullopt},
      // Platforms that draw without a display server need none.
      {"offscreen", none, ""},
      {"vnc:size=800x600", none, ""},
      {"xcb;offscreen", none, ""},
  };
  for (const Row& row : rows) {
    const std::string missing = row.missing;
    EXPECT_EQ(WindowPlatformFor(row.requested, row.reachable,
                                [&](const std::string& name) { return name != missing; }),
              row.platform)
        << "'" << row.requested << "' x11=" << row.reachable.x11
        << " wayland=" << row.reachable.wayland << " missing '" << missing << "'";
  }
#endif
}

}  // namespace
}  // namespace marrowlock
